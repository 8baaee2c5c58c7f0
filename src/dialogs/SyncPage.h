// The "Sync" page of the settings: the server, the account and this device, and Register and
// Log in, which say what the server answered. The password is never stored: its MD5 is the key.
#pragma once

#include <memory>

#include "dialogs/SettingsPage.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tresslin {

namespace sync {
class SyncClient;
}

class SyncPage : public SettingsPage {
    Q_OBJECT
  public:
    explicit SyncPage(QWidget* parent);
    ~SyncPage() override;

  private:
    void send(bool registering);

    QLineEdit* server_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* register_;
    QPushButton* login_;
    QLabel* answer_;
    // Made at the first click: the page alone opens no connection.
    std::unique_ptr<sync::SyncClient> client_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tresslin
