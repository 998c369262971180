// Prints what the shell library resolves for the executable it runs as, one "key value" a line,
// so a script can check the helper that an installed program would use.
#include "shell/SystemCommands.h"

#include <cstdio>

int main() {
    const zarn::SystemCommands commands = zarn::SystemCommands::forThisSystem();
    std::printf("shutdownProgram %s\n", commands.shutdownProgram.c_str());
    std::printf("probe %s\n", commands.probe.c_str());
    return 0;
}
