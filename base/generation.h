// Tells the result of the work under way from a result of work that was given up or replaced:
// each start takes a new ticket, and only the newest ticket is current. Every owner of background
// work drops stale results this one way.
#pragma once

namespace tickra {

class Generation {
public:
    // A ticket for work that starts now; earlier tickets are stale from here on.
    unsigned Next() { return ++current_; }
    // Whatever is under way is given up: no ticket is current until the next start.
    void Drop() { ++current_; }
    bool IsCurrent(unsigned ticket) const { return ticket == current_; }

private:
    unsigned current_ = 0;
};

}  // namespace tickra
