#include "framework/Application.h"

namespace framework {

Application* Application::current_ = nullptr;

Application::Application() { current_ = this; }

Application::~Application()
{
    if (current_ == this) current_ = nullptr;
}

void Application::BaseInitInstance()
{
    // Lets Windows restart the program after an update or a crash; it has no command line.
    if (restartFlags_ & kRestartSupportRestart) ::RegisterApplicationRestart(nullptr, 0);
}

int Application::Run(HINSTANCE instance)
{
    instance_ = instance;
    if (!InitInstance()) return 0;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace framework
