#include "sync/SyncQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "settings/Settings.h"

namespace tresslin::sync {

SyncQueue::SyncQueue(QString file) : file_(std::move(file)) {}

QString SyncQueue::defaultFile() {
    return QFileInfo(settings::filePath()).absolutePath() + QStringLiteral("/sync-queue.json");
}

QList<Progress> SyncQueue::entries() const {
    QFile file(file_);
    QList<Progress> list;
    if (!file.open(QIODevice::ReadOnly)) return list;
    // A damaged file loses only the places it held.
    for (const QJsonValue v : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject o = v.toObject();
        Progress p;
        p.document = o.value(QLatin1String("document")).toString();
        p.progress = o.value(QLatin1String("progress")).toString();
        p.percentage = o.value(QLatin1String("percentage")).toDouble();
        p.device = o.value(QLatin1String("device")).toString();
        p.deviceId = o.value(QLatin1String("device_id")).toString();
        if (!p.document.isEmpty()) list.append(p);
    }
    return list;
}

void SyncQueue::write(const QList<Progress>& entries) const {
    if (entries.isEmpty()) {
        QFile::remove(file_);
        return;
    }
    QJsonArray array;
    for (const Progress& p : entries)
        array.append(QJsonObject{{QLatin1String("document"), p.document},
                                 {QLatin1String("progress"), p.progress},
                                 {QLatin1String("percentage"), p.percentage},
                                 {QLatin1String("device"), p.device},
                                 {QLatin1String("device_id"), p.deviceId}});
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QJsonDocument(array).toJson(QJsonDocument::Compact));
    file.commit();
}

void SyncQueue::put(const Progress& progress) {
    QList<Progress> list = entries();
    list.removeIf([&](const Progress& p) { return p.document == progress.document; });
    list.append(progress);
    write(list);
}

void SyncQueue::done(const Progress& progress) {
    QList<Progress> list = entries();
    const qsizetype before = list.size();
    list.removeIf([&](const Progress& p) {
        return p.document == progress.document && p.progress == progress.progress;
    });
    if (list.size() != before) write(list);
}

}  // namespace tresslin::sync
