#pragma once

#include <string>

namespace vaultor::ui {

// The window program from its command line to the end of its event loop.
int RunWindowProgram(int argc, char** argv);

// Qt's own texts (the standard buttons) in the program's language, when the
// system has Qt's translations.
void LoadToolkitTranslations(const std::string& language_code);

}  // namespace vaultor::ui
