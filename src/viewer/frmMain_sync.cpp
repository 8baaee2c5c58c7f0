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
    // Another server, user, name or digest makes a new session.
    const QString wanted = account.server + u'\n' + account.user + u'\n' + sync::deviceName() +
                           u'\n' + QString::number(int(sync::digestMethod()));
    // Without a server nothing of sync exists, not even a network object.
    if (sync::serverUrl(account.server).isEmpty() || account.user.isEmpty()) {
        sync_.reset();
        syncFor_.clear();
        return;
    }
    if (sync_ && wanted == syncFor_) {
        // Logged in again: the same session goes on with the new key.
        if (const auto key = sync::KeyStore::runKey()) sync_->setKey(key);
        return;
    }
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
    // Where no XPointer can be written the progress is empty: the protocol takes it, and another
    // reader of ours then goes by the fraction.
    sync_->placeShown(
        xpointerAt(book_.lines, book_.format, book_.origins, place, settings::readCoding()),
        fraction);
}

TextPlace frmMain::placeOnView() const {
    return {cursor_.line(), std::int64_t(shownStart_)};
}

std::optional<TextPlace> frmMain::placeOfRecord(const QString& progress, double percentage) const {
    if (book_.lines.empty()) return std::nullopt;
    const WrapOf parts = [this](std::int32_t line) { return wrapOf(line); };
    ReadingCursor at;
    auto startOf = [&] {
        const auto wrap = parts(at.line());
        return std::int64_t(at.partStart(wrap ? &*wrap : nullptr));
    };
    if (!progress.isEmpty()) {
        if (const auto place = placeAtXPointer(book_.lines, book_.format, book_.origins, progress,
                                               settings::readCoding());
            place && place->line >= 0 && place->line <= book_.maxLine()) {
            // Compared with the place on view as the start of the part that holds it.
            at.moveToOffset(std::int32_t(place->line), std::size_t(place->offset));
            return TextPlace{place->line, startOf()};
        }
    }
    if (!std::isfinite(percentage)) return std::nullopt;
    // The fraction was floored to four places from a part's start: the place is the first part
    // that starts at or after the least offset it can stand for.
    const std::uint64_t size = textSize(book_.lines);
    const auto least =
        std::min(std::uint64_t(std::ceil(std::clamp(percentage, 0.0, 1.0) * double(size))),
                 size ? size - 1 : 0);
    const std::int64_t line = std::min(book_.lines.lineAt(least), book_.lines.upperBound());
    const std::uint64_t offset = least - book_.lines.lineStart(line);
    at.moveToOffset(std::int32_t(line), std::size_t(offset));
    if (offset > book_.lines.line(line).size() || std::uint64_t(startOf()) < offset)
        at.forward(book_.maxLine(), parts);
    return TextPlace{at.line(), startOf()};
}

void frmMain::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden or minimised: the reader may go on elsewhere.
    if (sync_ && !unloaded_) sync_->pushNow();
}

}  // namespace tresslin
