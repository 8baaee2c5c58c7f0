// Progress sync from the window: what a record means in the book on view, and the hooks.
#include <QHideEvent>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "dialogs/DialogPrompts.h"
#include "settings/Settings.h"
#include "sync/SyncAccount.h"
#include "sync/SyncSession.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {

// The text's bytes, terminators included; the buffer itself may be longer.
std::uint64_t textSize(const LineStore& lines) {
    return lines.lineStart(lines.size());
}

}  // namespace

void frmMain::syncSetUp() {
    const sync::Account account = sync::storedAccount();
    // A new login (another key) or another name or digest makes a new session.
    const QString wanted = account.server + u'\n' + account.user + u'\n' + sync::deviceName() +
                           u'\n' + QString::number(int(sync::digestMethod())) + u'\n' +
                           QString::fromLatin1(account.key);
    // Without a server nothing of sync exists, not even a network object.
    if (sync::serverUrl(account.server).isEmpty() || account.user.isEmpty()) {
        sync_.reset();
        syncFor_.clear();
        return;
    }
    if (sync_ && wanted == syncFor_) return;
    syncFor_ = wanted;
    sync::SyncView view;
    view.placeOf = [this](const sync::Progress& p) {
        return placeOfRecord(p.progress, p.percentage);
    };
    view.here = [this] { return placeOnView(); };
    view.take = [this](TextPlace place, const sync::Progress& p) {
        syncBack_ = placeOnView();
        cursor_.moveToOffset(std::int32_t(place.line), std::size_t(place.offset));
        ShowLine();
        ShowCaptionStatus(tr("   Sync: from %1").arg(p.device));
    };
    view.askBehind = [this](const sync::Progress& p) {
        return prompts_.ask(isVisible() ? this : nullptr,
                            tr("%1 left this book further back, at %2%. Go there?")
                                .arg(p.device)
                                .arg(p.percentage * 100, 0, 'f', 1),
                            tr("Sync"));
    };
    view.say = [this](const QString& status) { ShowCaptionStatus(status); };
    sync_ = std::make_unique<sync::SyncSession>(account, sync::deviceName(), sync::deviceId(),
                                                sync::SyncQueue::defaultFile(), std::move(view));
    QPointer<sync::SyncSession> session = sync_.get();
    sync::KeyStore::load(account.server, account.user,
                         [session](const std::optional<QByteArray>& key) {
                             if (session) session->setKey(key);
                         });
    if (!book_.location.empty()) syncOpened();
}

void frmMain::syncOpened() {
    syncBack_.reset();
    if (!sync_) return;
    sync_->bookOpened(book_.location, sync::digestMethod());
    syncPlace();
}

void frmMain::syncPlace() {
    if (!sync_ || book_.lines.empty()) return;
    const TextPlace place = placeOnView();
    const double size = double(std::max<std::uint64_t>(textSize(book_.lines), 1));
    const double fraction = std::clamp(
        double(book_.lines.lineStart(place.line) + std::uint64_t(place.offset)) / size, 0.0, 1.0);
    // The protocol takes an empty progress; another reader of ours then goes by the fraction.
    sync_->placeShown(xpointerAt(book_.lines, book_.format, book_.origins, place), fraction);
}

TextPlace frmMain::placeOnView() const {
    return {cursor_.line(), std::int64_t(shownStart_)};
}

std::optional<TextPlace> frmMain::placeOfRecord(const QString& progress, double percentage) const {
    if (book_.lines.empty()) return std::nullopt;
    std::optional<TextPlace> place;
    if (!progress.isEmpty())
        place = placeAtXPointer(book_.lines, book_.format, book_.origins, progress);
    if (!place) {
        if (!std::isfinite(percentage)) return std::nullopt;
        const std::uint64_t size = textSize(book_.lines);
        const auto at =
            std::uint64_t(std::clamp(percentage, 0.0, 1.0) * double(size ? size - 1 : 0));
        const std::int64_t line = std::min(book_.lines.lineAt(at), book_.lines.upperBound());
        place = TextPlace{line, std::int64_t(std::min(at - book_.lines.lineStart(line),
                                                      book_.lines.line(line).size()))};
    }
    if (place->line < 0 || place->line > book_.maxLine()) return std::nullopt;
    // Compared with the place on view as the start of the part that holds it.
    ReadingCursor at;
    at.moveToOffset(std::int32_t(place->line), std::size_t(place->offset));
    const auto wrap = wrapOf(std::int32_t(place->line));
    place->offset = std::int64_t(at.partStart(wrap ? &*wrap : nullptr));
    return place;
}

void frmMain::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden or minimised: the reader may go on elsewhere.
    if (sync_ && !unloaded_) sync_->pushNow();
}

}  // namespace tresslin
