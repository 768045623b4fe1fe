// The application object: one global instance of a class derived from Application; wWinMain
// hands control to it.
#pragma once

#include <windows.h>

namespace framework {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current() { return current_; }
    HINSTANCE Instance() const { return instance_; }

    // Registration with the restart manager, done by the base start-up (BaseInitInstance).
    static constexpr DWORD kRestartSupportRestart = 1;
    void SetRestartSupport(DWORD flags) { restartFlags_ = flags; }

    // The program's start-up. False: the program ends without running a message loop.
    virtual bool InitInstance() = 0;

    // Runs the application: InitInstance, then a message loop when it returned true.
    int Run(HINSTANCE instance);

protected:
    // The framework's own part of the start-up; derived InitInstance calls it.
    void BaseInitInstance();

private:
    static Application* current_;
    HINSTANCE instance_ = nullptr;
    DWORD restartFlags_ = 0;
};

}  // namespace framework
