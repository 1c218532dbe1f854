#pragma once

#include "Category.h"
#include "ControlsAutoHide.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

#include "ChannelsModel.h"
#include "PinGate.h"
#include "PlaybackKeys.h"
#include "SectionScreen.h"
#include "VLCEngine.h"
#include "WindowFullScreen.h"

// What the live TV screen decides beyond its section model: the category clicks behind the
// parental PIN, the rectangle of the preview slot that the floating video follows, and the
// full-screen controls with their auto-hide (when a click or a button shows them and when they
// go), the keyboard (zapping with Page Up/Down, and in full-screen the playback keys) and the
// window's own full screen. The screen's QML only binds to this and forwards input.
class ChannelsScreen : public SectionScreen
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ChannelsModel *model READ model WRITE setModel NOTIFY modelChanged FINAL)
    Q_PROPERTY(ControlsAutoHide *controls READ controls CONSTANT FINAL)
    // The screen's keys (the view gives them their target) and the window's full screen (the view
    // gives it the window).
    Q_PROPERTY(PlaybackKeys *keys READ keys CONSTANT FINAL)
    Q_PROPERTY(WindowFullScreen *windowMode READ windowMode CONSTANT FINAL)
    // The section's PIN prompt (the same flow as every section's).
    Q_PROPERTY(PinGate *pinGate READ pinGate CONSTANT FINAL)
    // The locked category whose PIN prompt shows; undefined while none does.
    Q_PROPERTY(QVariant pinCategory READ pinCategoryForQml NOTIFY pinCategoryChanged FINAL)
    Q_PROPERTY(bool hasPinCategory READ hasPinCategory NOTIFY pinCategoryChanged FINAL)
    // The preview slot in the screen's own coordinates (zero until the slot has been laid out).
    Q_PROPERTY(QRectF videoSlot READ videoSlot NOTIFY videoSlotChanged FINAL)
    // What the channel panel shows, and the words of its Empty pane (the same names as on every
    // section's controller; listPane and listHint are their former names).
    Q_PROPERTY(ListPane pane READ pane NOTIFY listPaneChanged FINAL)
    Q_PROPERTY(QString hintText READ listHint NOTIFY listHintChanged FINAL)
    Q_PROPERTY(ListPane listPane READ listPane NOTIFY listPaneChanged FINAL)
    Q_PROPERTY(QString listHint READ listHint NOTIFY listHintChanged FINAL)

public:
    enum class ListPane {
        Channels, // the list
        Loading,  // the chosen category's channels are on their way
        Error,    // their request failed, with "Reintentar"
        Empty,    // no category chosen yet, or one without channels
    };
    Q_ENUM(ListPane)

    static ListPane listPaneFor(bool isLoading, bool hasError, qsizetype channelCount);

    // On the shared engine.
    explicit ChannelsScreen(QObject *parent = nullptr);

    ChannelsModel *model() const { return m_model; }
    void setModel(ChannelsModel *model);
    ControlsAutoHide *controls() const { return m_controls; }
    PlaybackKeys *keys() const { return m_keys; }
    WindowFullScreen *windowMode() const { return m_windowMode; }
    PinGate *pinGate() const { return m_pinGate; }
    const std::optional<Category> &pinCategory() const { return m_pinGate->category(); }
    bool hasPinCategory() const { return m_pinGate->isOpen(); }
    QRectF videoSlot() const { return m_videoSlot; }
    ListPane pane() const { return m_listPane; }
    ListPane listPane() const { return m_listPane; }
    QString listHint() const { return m_listHint; }

    // "Reintentar" under a failed channel list: the chosen category is asked again (retryChannels
    // is its former name).
    Q_INVOKABLE void retry();
    Q_INVOKABLE void retryChannels() { retry(); }

    // A click on a category row: the PIN prompt for a locked category, else its selection.
    Q_INVOKABLE void categoryClicked(const QString &categoryId) { m_pinGate->categoryClicked(categoryId); }
    // The PIN prompt's check: a right PIN unlocks the category, closes the prompt and selects it.
    Q_INVOKABLE bool submitPin(const QString &pin) { return m_pinGate->submitPin(pin); }
    Q_INVOKABLE void cancelPin() { m_pinGate->cancelPin(); }

    // The slot's new rectangle; an empty one (not laid out yet) keeps the last.
    Q_INVOKABLE void reportVideoSlot(const QRectF &rect);

    // Mouse on the floating video: a double click enters full-screen with a pending hide, a
    // single click toggles the controls while full-screen.
    Q_INVOKABLE void videoDoubleClicked();
    Q_INVOKABLE void videoClicked();
    // "Reproducir": full-screen, the controls left as they are and no hide scheduled.
    Q_INVOKABLE void enterFullscreen();
    // Leaves the full-screen layout and the window's full screen with it.
    Q_INVOKABLE void exitFullscreen();
    // The window's full screen (its button, F): on, from the preview through the full-screen
    // layout; off again, back to the window as it was, the layout staying.
    Q_INVOKABLE void toggleWindowFullScreen();
    // Escape: the window's full screen first, then the full-screen layout, then the section
    // (back()).
    Q_INVOKABLE void goBack();
    // Page Up/Down and the channel keys: the neighbouring channel, as the full-screen buttons do
    // there; in the section only the selection moves.
    Q_INVOKABLE void zap(int offset);
    // The full-screen buttons; each shows the controls again and restarts their delay after
    // its action (zapping only once the new channel has been watched and its guide loaded).
    Q_INVOKABLE void toggleFill();
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void playAdjacent(int offset);

    QCoro::Task<> playAdjacentTask(int offset);

Q_SIGNALS:
    void modelChanged();
    void pinCategoryChanged();
    void videoSlotChanged();
    void listPaneChanged();
    void listHintChanged();
    // Escape with nothing left to leave inside the screen.
    void back();

private:
    bool isFullscreen() const;
    void updateListPane();
    QVariant pinCategoryForQml() const { return m_pinGate->property("category"); }

    QPointer<ChannelsModel> m_model;
    ControlsAutoHide *m_controls;
    PlaybackKeys *m_keys;
    WindowFullScreen *m_windowMode;
    PinGate *m_pinGate;
    QRectF m_videoSlot;
    ListPane m_listPane = ListPane::Empty;
    QString m_listHint;
};
