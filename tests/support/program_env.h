#pragma once

#include <string>

#include "support/temp_dir.h"

namespace vaultor::test {

// A program folder of the test's own (VAULTOR_HOME), never the real home.
class ProgramEnv {
  public:
    ProgramEnv();
    ~ProgramEnv();
    const std::string& Dir() const { return dir_.Path(); }
    std::string Ini() const { return dir_ / "Vaultor.ini"; }
    // A settings file with an empty Translation value: Dutch texts.
    void WriteDutchIni() const;

  private:
    TempDir dir_;
};

}  // namespace vaultor::test
