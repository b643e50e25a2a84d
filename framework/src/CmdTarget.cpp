#include "FwDispatch.h"
#include "FwTypes.h"

const fw::MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const fw::MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const fw::MessageMap map = {nullptr, entries};
    return &map;
}

const fw::MessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const fw::EventSinkMap* CCmdTarget::GetThisEventSinkMap()
{
    static const fw::EventSinkEntry entries[] = {{0, 0, nullptr, nullptr}};
    static const fw::EventSinkMap map = {nullptr, entries};
    return &map;
}

const fw::EventSinkMap* CCmdTarget::GetEventSinkMap() const
{
    return GetThisEventSinkMap();
}

bool CCmdTarget::DispatchMessageToTable(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const fw::MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const fw::MessageMapEntry* e = map->entries; e->handler; ++e) {
            if (e->message != message) continue;
            if (message == WM_COMMAND && (e->id != LOWORD(wParam) || e->code != HIWORD(wParam))) continue;
            if (message == fw::kOleVerbMessage && e->code != (UINT)wParam) continue;
            *result = e->handler(this, wParam, lParam);
            return true;
        }
    }
    return false;
}

HRESULT CCmdTarget::DispatchEventToTable(UINT controlId, DISPID dispid, DISPPARAMS* params)
{
    for (const fw::EventSinkMap* map = GetEventSinkMap(); map; map = map->base ? map->base() : nullptr) {
        for (const fw::EventSinkEntry* e = map->entries; e->handler; ++e) {
            if (e->controlId != controlId || e->dispid != dispid) continue;
            fw::CoercedArgs args;
            UINT argErr = 0;
            HRESULT hr = args.Coerce(params, e->params, &argErr);
            if (FAILED(hr)) return hr;
            try {
                return e->handler(this, args.Values(), args.Ansi());
            } catch (...) {
                return DISP_E_EXCEPTION;  // nothing thrown by a handler crosses COM
            }
        }
    }
    return S_FALSE;
}
