// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "RainProgram.h"
#include "SdlDisplay.h"
#include "SystemStartUp.h"

extern "C" int SDL_main(int argc, char* argv[]);

int SDL_main(int, char*[])
{
    ConfigFile config(ConfigFile::locate("nimbrel.conf"));
    RainProgram::run(config);
    return 0;
}

// SDL has no start-up of its own around SDL_main here (on Windows the build
// says SDL_MAIN_HANDLED): the display's is it, after the system's.
int main(int argc, char* argv[])
{
    SystemStartUp::prepare();
    return SdlDisplay::startUp(argc, argv, SDL_main);
}
