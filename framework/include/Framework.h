// The framework layer in one include: application and module objects,
// windows and dialogs, ActiveX containment and automation calls, the ActiveX
// control base, class factories and registration, the property page.
#pragma once

#include "FwApp.h"
#include "FwDialog.h"
#include "FwDispatch.h"
#include "FwObjectFactory.h"
#include "FwOleControl.h"
#include "FwPropertyPage.h"
#include "FwStrings.h"
#include "FwTypes.h"
#include "FwWnd.h"
