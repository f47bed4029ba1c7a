#pragma once

#include "engine/ProblemRecord.h"

#include <string>
#include <string_view>

namespace tolvane {

// What the fix of one record changes, in the words a person reviewing the results needs: the
// key, the value (when the fix touches a value), the data the scan found, and whether the fix
// deletes the key, deletes the value or empties it. Each module stores its names in the
// record's primaryName and secondaryName in its own way; this is the one place that reads them
// back, beside the modules' own Fix.
class ProblemTarget {
public:
    enum class Action { deleteKey, deleteValue, emptyValue };

    static ProblemTarget of(const ProblemRecord& record);

    // Full key path with its root ("HKEY_LOCAL_MACHINE\..."); for a fix that removes two keys
    // (file associations), the first.
    const std::string& keyPath() const { return keyPath_; }
    // The value's name; "(Default)" for a key's default value; empty when the fix takes the key.
    const std::string& valueName() const { return valueName_; }
    // The bad data as the description quotes it; empty where the description does not.
    const std::string& data() const { return data_; }
    Action action() const { return action_; }
    // "Delete key", "Delete value", "Empty value".
    static std::string_view actionText(Action action);

private:
    std::string keyPath_;
    std::string valueName_;
    std::string data_;
    Action action_ = Action::deleteKey;
};

} // namespace tolvane
