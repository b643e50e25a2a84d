// A problem with the input or the run that ends the command with one line.
#pragma once
#include <stdexcept>
#include <string>

namespace penvane {

class PdfError : public std::runtime_error {
public:
    explicit PdfError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace penvane
