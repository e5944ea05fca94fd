// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SYSTEMSTARTUP_H
#define NIMBREL_SYSTEMSTARTUP_H

// What the operating system needs done before anything else runs: on Windows
// the program's messages go to files and the system timer ticks every
// millisecond; POSIX systems need nothing. One implementation for each, in
// os/posix/ and os/windows/.
class SystemStartUp {
public:
    static void prepare();
};

#endif
