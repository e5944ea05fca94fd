// SPDX-License-Identifier: MIT
#ifndef NIMBREL_EVENTSOURCE_H
#define NIMBREL_EVENTSOURCE_H

// Where the user's input and the window's news come from, as the few things
// the program tells apart.
class EventSource {
public:
    enum class Event {
        Other,       // nothing the program acts on
        Quit,        // the window closed, or a mouse button or the wheel
        ToggleDrops, // D pressed (not its repeats while held)
        Exposed,     // the display lost what it showed of the window
    };

    // Takes the next pending event; false at once when there is none.
    virtual bool poll(Event& event) = 0;

protected:
    ~EventSource() = default;
};

#endif
