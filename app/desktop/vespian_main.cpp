// Vespian2002: the analyser's control and evaluation program.

#include "app/desktop/desktop_program.h"

int main(int argc, char** argv) { return vespian::runDesktopProgram(argc, argv); }
