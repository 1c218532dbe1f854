#pragma once

#include "live/LivePlayback.h"

#include <QCoroTask>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class ChannelsModel;

// The live section's video: in the preview slot, or grown over the whole screen with on-screen
// controls. A double click on the preview enters the full-screen layout with a pending hide;
// there, a click toggles the controls, the channel buttons and keys zap (showing the controls
// once the new channel has been watched), and Escape gives the window back, then leaves the
// layout, then the section (sectionBack). In the section the keys leave Space, the arrows and
// Escape to the lists; Page Up/Down only move the selection.
class ChannelsPlayback : public LivePlayback
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The live section's playback belongs to its screen.")
    Q_PROPERTY(ChannelsModel *model READ model NOTIFY modelChanged FINAL)
    Q_PROPERTY(bool isFullscreen READ isFullscreen NOTIFY isFullscreenChanged FINAL)

public:
    explicit ChannelsPlayback(QObject *parent = nullptr);

    ChannelsModel *model() const { return m_model; }
    void setModel(ChannelsModel *model);
    bool isFullscreen() const;

    // "Reproducir" under the preview: the full-screen layout, the controls left as they are and
    // no hide scheduled.
    Q_INVOKABLE void enterFullscreen();
    // Leaves the full-screen layout and the window's full screen with it.
    Q_INVOKABLE void exitFullscreen();
    // Page Up/Down and the channel keys.
    Q_INVOKABLE void zap(int offset);
    void retry() override;
    void playAdjacent(int offset) override;
    void videoClicked() override;
    void videoDoubleClicked() override;

    QCoro::Task<> playAdjacentTask(int offset);

Q_SIGNALS:
    void modelChanged();
    void isFullscreenChanged();
    // Escape with nothing left to leave inside the section's video.
    void sectionBack();

protected:
    void leave() override;
    bool controlsSetAside() const override;
    bool prepareWindowFullScreen() override;

private:
    void followModel();

    QPointer<ChannelsModel> m_model;
};
