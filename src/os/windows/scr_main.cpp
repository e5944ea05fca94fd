// SPDX-License-Identifier: MIT
// nimbrel.scr: the screensaver's entry, started by Windows with its protocol's
// arguments.
#include "ScreenSaver.h"
#include "ScreenSaverCommand.h"
#include "SdlDisplay.h"
#include "SystemStartUp.h"

extern "C" int SDL_main(int argc, char* argv[]);

int SDL_main(int argc, char* argv[])
{
    ScreenSaver::run(ScreenSaverCommand::parse(argc, argv));
    return 0;
}

int main(int argc, char* argv[])
{
    SystemStartUp::prepare();
    return SdlDisplay::startUp(argc, argv, SDL_main);
}
