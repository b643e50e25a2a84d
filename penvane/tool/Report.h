// What the commands print: the fields of a document, and the verification
// of each file as text for a person or as JSON for a program.
#pragma once
#include "RenderCheck.h"
#include "SignatureFields.h"
#include "Verification.h"

#include <nlohmann/json.hpp>
#include <map>
#include <string>
#include <vector>

namespace penvane {

std::string FieldsText(const std::string& path, const std::vector<SignatureField>& fields);
nlohmann::json FieldsJson(const std::string& path, const std::vector<SignatureField>& fields);

// The one-line verdict of a signature ("valid", "INVALID: ...", ...).
std::string Verdict(const SignatureReport& s);
// What the render check found, by the signature's index in the report.
using RenderChecks = std::map<size_t, RenderComparison>;
std::string VerifyText(const VerifyReport& report, const RenderChecks* checks = nullptr);
nlohmann::json VerifyJson(const VerifyReport& report, const RenderChecks* checks = nullptr);

}  // namespace penvane
