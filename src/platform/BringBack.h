// Every way of asking the running program to come back to the front: keypad plus through the
// X11 grab or the desktop's GlobalShortcuts portal, and `tresslin --activate` through the session
// bus. Each ends in one request; what coming back means is the window's business.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "book/BookLocation.h"

namespace tresslin {

class ActivationHotKey;

class BringBack : public QObject {
    Q_OBJECT
  public:
    // Grabs keypad plus at once, where X11 allows.
    explicit BringBack(QObject* parent = nullptr);
    ~BringBack() override;

    // Takes the name on the session bus and, where the grab does not see every press, binds the
    // portal's shortcut. The bus costs start-up time: call it after the window's first paint.
    void listenOnBus();

    // Whether keypad plus reaches the program through the X11 grab.
    bool hasHotKey() const;

  signals:
    // token: the activation token that came with the request, or empty.
    void requested(const QString& token);
    // A second start handed its book over: open it, and come back.
    void bookRequested(const BookLocation& book, const QString& token);

  private:
    std::unique_ptr<ActivationHotKey> hotKey_;
};

}  // namespace tresslin
