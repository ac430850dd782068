// vaultor: the window program over the core.
#include "ui/program.h"

int main(int argc, char** argv) {
    return vaultor::ui::RunWindowProgram(argc, argv);
}
