// Process start-up: the application's instance initialisation.
#pragma once

namespace tickra {

class CTickraApp {
public:
    // Brings up the common controls and Winsock, runs the main dialog until Exit, and returns
    // false: the process ends when the dialog does; there is no message loop after it.
    bool InitInstance();
};

}  // namespace tickra
