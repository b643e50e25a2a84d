#include "HostViewer.h"

#include <algorithm>

namespace standin {

HostViewer::HostViewer() = default;
HostViewer::~HostViewer() = default;

PDDoc HostViewer::OpenDocument(const std::vector<int16_t>& pageRotations, size_t currentPage)
{
    auto doc = std::make_unique<Document>();
    Document* d = doc.get();
    for (int16_t rotation : pageRotations)
        d->pages.push_back(std::make_unique<Page>(Page{d, rotation}));
    d->currentPage = currentPage < d->pages.size() ? currentPage : 0;
    d->view.doc = d;
    d->pageView.doc = d;
    d->cos.doc = d;
    m_documents.push_back(std::move(doc));
    m_current = d;
    return d;
}

HostViewer::Document* HostViewer::FindDocument(const void* handle) const
{
    for (const auto& doc : m_documents)
        if (doc.get() == handle)
            return doc.get();
    return nullptr;
}

void HostViewer::CloseDocument(PDDoc doc)
{
    Document* d = FindDocument(doc);
    if (!d)
        return;
    if (m_current == d)
        m_current = nullptr;
    m_documents.erase(std::find_if(m_documents.begin(), m_documents.end(),
                                   [d](const std::unique_ptr<Document>& p) { return p.get() == d; }));
}

bool HostViewer::ShowPage(PDDoc doc, size_t page)
{
    Document* d = FindDocument(doc);
    if (!d || page >= d->pages.size())
        return false;
    d->currentPage = page;
    return true;
}

void HostViewer::SetCurrentDocument(PDDoc doc) { m_current = FindDocument(doc); }

PDPage HostViewer::PageOf(PDDoc doc, size_t page) const
{
    Document* d = FindDocument(doc);
    return d && page < d->pages.size() ? d->pages[page].get() : nullptr;
}

AVDoc HostViewer::ViewOf(PDDoc doc) const
{
    Document* d = FindDocument(doc);
    return d ? &d->view : nullptr;
}

AVDoc HostViewer::CurrentDoc() const { return m_current ? &m_current->view : nullptr; }

AVPageView HostViewer::CurrentPageView(AVDoc view) const
{
    for (const auto& doc : m_documents)
        if (&doc->view == view)
            return doc->pages.empty() ? nullptr : &doc->pageView;
    return nullptr;
}

PDPage HostViewer::PageViewCurrentPage(AVPageView pageView) const
{
    for (const auto& doc : m_documents)
        if (&doc->pageView == pageView && doc->currentPage < doc->pages.size())
            return doc->pages[doc->currentPage].get();
    return nullptr;
}

CosDoc HostViewer::CosDocOf(PDDoc doc) const
{
    Document* d = FindDocument(doc);
    return d ? &d->cos : nullptr;
}

PDDoc HostViewer::DocumentOfCosDoc(CosDoc cosDoc) const
{
    for (const auto& doc : m_documents)
        if (&doc->cos == cosDoc)
            return doc.get();
    return nullptr;
}

int16_t HostViewer::RotationOf(PDPage page) const
{
    for (const auto& doc : m_documents)
        for (const auto& p : doc->pages)
            if (p.get() == page)
                return p->rotation;
    return 0;
}

void HostViewer::ModalBegin(void*)
{
    ++m_modalBegins;
    ++m_modalDepth;
}

void HostViewer::ModalEnd()
{
    ++m_modalEnds;
    if (m_modalDepth == 0) {
        ++m_unbalancedModalEnds;
        return;
    }
    --m_modalDepth;
}

void* HostViewer::OpenAppearanceList(void* reserved, ASBool flag)
{
    ++m_listOpens;
    m_lastOpenReserved = reserved;
    m_lastOpenFlag = flag;
    m_lists.push_back(std::make_unique<AppearanceList>(AppearanceList{m_appearanceTitles}));
    return m_lists.back().get();
}

void HostViewer::CloseAppearanceList(void* list)
{
    auto it = std::find_if(m_lists.begin(), m_lists.end(),
                           [list](const std::unique_ptr<AppearanceList>& p) { return p.get() == list; });
    if (it == m_lists.end()) {
        ++m_strayListCloses;
        return;
    }
    ++m_listCloses;
    m_lists.erase(it);
}

int32_t HostViewer::AppearanceCount(void* list) const
{
    for (const auto& l : m_lists)
        if (l.get() == list)
            return static_cast<int32_t>(l->titles.size());
    return 0;
}

bool HostViewer::AppearanceTitle(void* list, int32_t index, std::string* title) const
{
    for (const auto& l : m_lists)
        if (l.get() == list) {
            if (index < 0 || static_cast<size_t>(index) >= l->titles.size())
                return false;
            *title = l->titles[static_cast<size_t>(index)];
            return true;
        }
    return false;
}

}  // namespace standin
