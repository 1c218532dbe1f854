#pragma once

#include "provider/Category.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

#include "live/ChannelsModel.h"
#include "live/ChannelsPlayback.h"
#include "sections/PinGate.h"
#include "sections/SectionScreen.h"

// What the live TV screen decides beyond its section model: the category clicks behind the
// parental PIN, the rectangle of the preview slot that the floating video follows, and the
// video's playback (ChannelsPlayback: the full-screen layout, its controls, the keys, the window's
// own full screen). The screen's QML only binds to this and forwards input.
class ChannelsScreen : public SectionScreen
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ChannelsModel *model READ model WRITE setModel NOTIFY modelChanged FINAL)
    // The video's controls, keys and full screen (the view gives the keys their target and the
    // window-mode its window).
    Q_PROPERTY(ChannelsPlayback *playback READ playback CONSTANT FINAL)
    // The section's PIN prompt (the same flow as every section's).
    Q_PROPERTY(PinGate *pinGate READ pinGate CONSTANT FINAL)
    // The locked category whose PIN prompt shows; undefined while none does.
    Q_PROPERTY(QVariant pinCategory READ pinCategoryForQml NOTIFY pinCategoryChanged FINAL)
    Q_PROPERTY(bool hasPinCategory READ hasPinCategory NOTIFY pinCategoryChanged FINAL)
    // The preview slot in the screen's own coordinates (zero until the slot has been laid out).
    Q_PROPERTY(QRectF videoSlot READ videoSlot NOTIFY videoSlotChanged FINAL)
    // What the channel panel shows, and the words of its Empty pane (the same names as on every
    // section's controller).
    Q_PROPERTY(ListPane pane READ pane NOTIFY listPaneChanged FINAL)
    Q_PROPERTY(QString hintText READ listHint NOTIFY listHintChanged FINAL)

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
    ChannelsPlayback *playback() const { return m_playback; }
    PinGate *pinGate() const { return m_pinGate; }
    const std::optional<Category> &pinCategory() const { return m_pinGate->category(); }
    bool hasPinCategory() const { return m_pinGate->isOpen(); }
    QRectF videoSlot() const { return m_videoSlot; }
    ListPane pane() const { return m_listPane; }
    QString listHint() const { return m_listHint; }

    // "Reintentar" under a failed channel list: the chosen category is asked again.
    Q_INVOKABLE void retry();

    // A click on a category row: the PIN prompt for a locked category, else its selection.
    Q_INVOKABLE void categoryClicked(const QString &categoryId) { m_pinGate->categoryClicked(categoryId); }
    // The PIN prompt's check: a right PIN unlocks the category, closes the prompt and selects it.
    Q_INVOKABLE bool submitPin(const QString &pin) { return m_pinGate->submitPin(pin); }
    Q_INVOKABLE void cancelPin() { m_pinGate->cancelPin(); }

    // The slot's new rectangle; an empty one (not laid out yet) keeps the last.
    Q_INVOKABLE void reportVideoSlot(const QRectF &rect);

Q_SIGNALS:
    void modelChanged();
    void pinCategoryChanged();
    void videoSlotChanged();
    void listPaneChanged();
    void listHintChanged();
    // Escape with nothing left to leave inside the screen.
    void back();

private:
    void updateListPane();
    QVariant pinCategoryForQml() const { return m_pinGate->property("category"); }

    QPointer<ChannelsModel> m_model;
    ChannelsPlayback *m_playback;
    PinGate *m_pinGate;
    QRectF m_videoSlot;
    ListPane m_listPane = ListPane::Empty;
    QString m_listHint;
};
