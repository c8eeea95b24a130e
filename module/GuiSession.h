// GuiSession: a Qt GUI application object for the length of one ShowForm call.
//
// A Qt host already has one and keeps it; for any other host (a C program, a
// console tool) the session creates one and destroys it when the call ends. Either
// way the design fonts' substitutions are installed.
#pragma once

#include <memory>

class QApplication;

namespace qelvor {

class GuiSession {
public:
    // Fails when the process has a Qt application object that cannot show windows.
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // True when this session created the application object.
    bool OwnsApplication() const { return owned_ != nullptr; }

private:
    std::unique_ptr<QApplication> owned_;
};

}  // namespace qelvor
