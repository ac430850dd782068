#include "support/program_env.h"

#include <cstdlib>

namespace vaultor::test {

ProgramEnv::ProgramEnv() {
    ::setenv("VAULTOR_HOME", dir_.Path().c_str(), 1);
}
ProgramEnv::~ProgramEnv() {
    ::unsetenv("VAULTOR_HOME");
}

void ProgramEnv::WriteDutchIni() const {
    WriteFile(Ini(), "[Translation]\r\n1=\r\n");
}

}  // namespace vaultor::test
