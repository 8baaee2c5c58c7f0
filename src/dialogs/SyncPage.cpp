#include "dialogs/SyncPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QSysInfo>
#include <algorithm>

#include "settings/Settings.h"
#include "sync/SyncAccount.h"
#include "sync/SyncClient.h"

namespace tresslin {

namespace {

QLineEdit* storedLine(SettingsPage* page, const char* name, const settings::Setting& setting) {
    auto* edit = new QLineEdit(ReadSetting(setting), page);
    edit->setObjectName(QString::fromLatin1(name));
    QObject::connect(edit, &QLineEdit::textEdited, page,
                     [&setting](const QString& text) { WriteSetting(setting, text.trimmed()); });
    return edit;
}

}  // namespace

SyncPage::SyncPage(QWidget* parent) : SettingsPage(parent) {
    // The fields' labels share one width, so that the fields line up in any language.
    QList<QLabel*> labels;
    const auto label = [&](const QString& text) {
        return labels.emplace_back(new QLabel(text, this));
    };
    server_ = storedLine(this, "txtSyncServer", settings::SyncServer);
    server_->setPlaceholderText(tr("Empty: off. KOReader's public server: %1")
                                    .arg(QStringLiteral("https://sync.koreader.rocks")));
    server_->setMinimumWidth(server_->fontMetrics().horizontalAdvance(server_->placeholderText()));
    addRow(label(tr("Server:")), server_);
    user_ = storedLine(this, "txtSyncUser", settings::SyncUser);
    addRow(label(tr("User name:")), user_);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("txtSyncPassword"));
    password_->setEchoMode(QLineEdit::Password);
    addRow(label(tr("Password:")), password_);
    QLineEdit* device = storedLine(this, "txtSyncDevice", settings::SyncDevice);
    device->setPlaceholderText(QSysInfo::machineHostName());
    addRow(label(tr("Device name:")), device);

    auto* digest = new QComboBox(this);
    digest->setObjectName(QStringLiteral("cmbSyncDigest"));
    digest->addItems({tr("Binary"), tr("File name")});
    digest->setCurrentIndex(settings::readNumber(settings::SyncDigest) == 1 ? 1 : 0);
    connect(digest, &QComboBox::currentIndexChanged, this,
            [](int index) { settings::writeNumber(settings::SyncDigest, index == 1 ? 1 : 0); });
    addRow(new QLabel(tr("Digest method:"), this), digest);
    int width = 0;
    for (const QLabel* l : labels) width = std::max(width, l->sizeHint().width());
    for (QLabel* l : labels) l->setMinimumWidth(width);
    addFlag("chkSyncKeyFile", tr("Keep the key in a file only I can read"), settings::SyncKeyFile);

    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    register_ = new QPushButton(tr("Register"), buttons);
    register_->setObjectName(QStringLiteral("cmdSyncRegister"));
    login_ = new QPushButton(tr("Log in"), buttons);
    login_->setObjectName(QStringLiteral("cmdSyncLogin"));
    row->addWidget(register_);
    row->addWidget(login_);
    addRow(buttons, Qt::AlignLeft);
    answer_ = new QLabel(this);
    answer_->setObjectName(QStringLiteral("lblSyncAnswer"));
    answer_->setWordWrap(true);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addRow(answer_);
    connect(register_, &QPushButton::clicked, this, [this] { send(true); });
    connect(login_, &QPushButton::clicked, this, [this] { send(false); });
}

SyncPage::~SyncPage() {
    // Answers aborted with the client find nobody to tell.
    *alive_ = false;
    client_.reset();
}

void SyncPage::send(bool registering) {
    const sync::Account account{server_->text().trimmed(), user_->text().trimmed(),
                                sync::userKey(password_->text())};
    if (sync::serverUrl(account.server).isEmpty())
        return answer_->setText(tr("That is not a server address: type it as https://host"));
    if (account.user.isEmpty() || account.user.contains(u':') || password_->text().isEmpty())
        return answer_->setText(tr("A user name (without \":\") and a password are needed"));
    if (!client_) client_ = std::make_unique<sync::SyncClient>();
    register_->setEnabled(false);
    login_->setEnabled(false);
    answer_->setText(tr("Asking the server..."));
    auto done = [this, alive = alive_, account, registering](const sync::Answer& answer) {
        if (!*alive) return;
        register_->setEnabled(true);
        login_->setEnabled(true);
        answer_->setText(sync::accountAnswerText(answer, registering));
        if (!answer.ok()) return;
        WriteSetting(settings::SyncServer, account.server);
        WriteSetting(settings::SyncUser, account.user);
        sync::deviceId();
        QPointer<QLabel> label = answer_;
        sync::KeyStore::save(
            account.server, account.user, account.key, settings::readFlag(settings::SyncKeyFile),
            [label](sync::KeyStore::Kept kept, const QString& why) {
                if (!label || kept != sync::KeyStore::Kept::ThisRunOnly) return;
                label->setText(label->text() + u'\n' +
                               tr("No secret store answers (%1): the key is kept for this run "
                                  "only, unless it may go in a file")
                                   .arg(why));
            });
    };
    if (registering)
        client_->registerUser(account, done);
    else
        client_->login(account, done);
}

}  // namespace tresslin
