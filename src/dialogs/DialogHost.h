// What the dialogs ask of the window that opened them; the main window implements it, so the
// dialogs never depend on the viewer.
#pragma once

namespace tresslin {

class Speech;

class DialogHost {
  public:
    // Shows the current line again, after a colour or the coding has changed.
    virtual void RefreshShow() = 0;
    // Starts auto-show at the given interval in milliseconds and says so in the caption.
    virtual void startAutoShow(int interval) = 0;
    // Keeps the window above others or not, and sets its opacity, as the settings now say.
    virtual void applyWindowOptions() = 0;
    // The voice that reads aloud, for choosing it; made but not yet contacted before Ctrl+P.
    virtual Speech& voice() = 0;

  protected:
    ~DialogHost() = default;
};

}  // namespace tresslin
