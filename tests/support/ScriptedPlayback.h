#pragma once

#include "ScriptedPlayer.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "storage/ProgressStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

namespace norvane::test {

// A player model on an engine over a scripted player, with a progress store in a private folder.
struct ScriptedPlayback : ScriptedEngine
{
    ScriptedPlayback(const QList<PlayableItem> &queue, int countdownStepMs)
        : store(dir.filePath(QStringLiteral("progress.json")))
    {
        model = std::make_unique<PlayerModel>(engine.get(), &store);
        model->setQueue(queue);
        model->setCountdownStepMs(countdownStepMs);
    }

    // The engine hears the player in this state, at this position and length.
    void playerAt(qint64 timeMs, qint64 lengthMs, int state = MediaPlayerBackend::Playing)
    {
        player->length = lengthMs;
        player->report(state, state == MediaPlayerBackend::Playing, timeMs);
        // The engine's callback, then what the model queued on hearing it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    ProgressStore store;
    std::unique_ptr<PlayerModel> model;
};

} // namespace norvane::test
