#pragma once

#include "PlayerModel.h"
#include "ProgressStore.h"
#include "ScriptedPlayer.h"
#include "VLCEngine.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

namespace norvane::test {

// A player model on an engine over a scripted player, with a progress store in a private folder.
struct ScriptedPlayback
{
    ScriptedPlayback(const QList<PlayableItem> &queue, int countdownStepMs)
        : store(dir.filePath(QStringLiteral("progress.json")))
    {
        auto owned = std::make_unique<ScriptedPlayer>();
        player = owned.get();
        engine = std::make_unique<VLCEngine>(std::move(owned), nullptr);
        model = std::make_unique<PlayerModel>(engine.get(), &store);
        model->setQueue(queue);
        model->setCountdownStepMs(countdownStepMs);
    }

    // The engine hears the player in this state, at this position and length.
    void playerAt(qint64 timeMs, qint64 lengthMs, int state = MediaPlayerBackend::Playing)
    {
        player->length = lengthMs;
        player->report(state, state == MediaPlayerBackend::Playing, timeMs);
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    ProgressStore store;
    ScriptedPlayer *player = nullptr;
    std::unique_ptr<VLCEngine> engine;
    std::unique_ptr<PlayerModel> model;
};

} // namespace norvane::test
