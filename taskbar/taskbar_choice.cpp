#include "taskbar/taskbar_choice.h"

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

TaskbarChoice ParseTaskbarChoice(std::string_view text) {
    const std::string word = UpperCaseMbcs(TrimBlanks(text));
    return word == "SECONDARY" ? TaskbarChoice::kSecondary
           : word == "ALL"     ? TaskbarChoice::kAll
                               : TaskbarChoice::kPrimary;
}

const char* TaskbarChoiceText(TaskbarChoice choice) {
    switch (choice) {
        case TaskbarChoice::kSecondary:
            return "secondary";
        case TaskbarChoice::kAll:
            return "all";
        case TaskbarChoice::kPrimary:
            break;
    }
    return "primary";
}

TickerTargets TargetsFor(TaskbarChoice choice, bool secondary_present) {
    if (!secondary_present) {
        return {true, false};
    }
    return {choice != TaskbarChoice::kSecondary, choice != TaskbarChoice::kPrimary};
}

}  // namespace tickra
