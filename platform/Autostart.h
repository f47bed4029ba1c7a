#pragma once

namespace tolvane {

// Whether the program starts with the user's session.
class Autostart {
public:
    virtual ~Autostart() = default;

    virtual bool IsAutostartSet() = 0;
    // Makes the entry match `enable`. An existing entry is never rewritten, even when it names
    // another executable; a missing one is not an error when disabling.
    virtual void SetAutostart(bool enable) = 0;
};

} // namespace tolvane
