// CUpdateApp: the application object. One run of the updater happens inside
// InitInstance, which always answers 0 so that no message loop follows.
#pragma once

#include <string>

class CUpdateApp {
public:
    int InitInstance();

    const std::string& ModulePath() const { return modulePath_; }

private:
    std::string modulePath_;
};
