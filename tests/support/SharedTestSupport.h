// Every shared test helper, by its plain name, for a module's own test
// support header to include: tests then call WinePath, RunProcess,
// PumpMessages and the rest without a qualifier.
#pragma once

#include "MessagePump.h"
#include "ProcessWindows.h"
#include "RegistryRead.h"
#include "RunProcess.h"
#include "SettingsFile.h"
#include "WinePath.h"

using testsupport::DescribeWindows;
using testsupport::FindString;
using testsupport::KeyExists;
using testsupport::ProcessWindows;
using testsupport::PumpMessages;
using testsupport::ReadString;
using testsupport::RemoveSettingsFile;
using testsupport::RunProcess;
using testsupport::TypeLibRegistered;
using testsupport::WinePath;
using testsupport::WindowsNotIn;
using testsupport::WriteSettingsFile;
