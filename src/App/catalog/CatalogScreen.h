#pragma once

#include "CatalogSectionModel.h"
#include "PinGate.h"
#include "SectionScreen.h"

#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The controller of a catalog section's screen (movies or series): the category clicks behind the
// parental PIN, what the right pane shows, and the player over the section. The screen's QML only
// binds to it.
class CatalogScreen : public SectionScreen
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(CatalogSectionModel *section READ section WRITE setSection NOTIFY sectionChanged FINAL)
    Q_PROPERTY(PinGate *pinGate READ pinGate CONSTANT FINAL)
    Q_PROPERTY(Pane pane READ pane NOTIFY paneChanged FINAL)
    // The words of the EmptyList and FavoritesHint panes.
    Q_PROPERTY(QString hintText READ hintText NOTIFY hintTextChanged FINAL)

public:
    enum class Pane {
        Grid,           // the posters
        EmptyList,      // nothing chosen yet, or a chosen category that holds nothing
        FavoritesHint,  // the favourites row holds nothing
        Continue,       // the unfinished entries
        Error,          // the list failed, with "Reintentar"
        CatalogLoading, // the whole catalog is downloading, with its byte counter
        Spinner,        // one category's list is on its way
    };
    Q_ENUM(Pane)

    explicit CatalogScreen(QObject *parent = nullptr);

    // The pane for the selection ("" for none) and the state of its list.
    static Pane paneFor(const QString &selectedId, bool isLoading, bool hasError, qsizetype listSize);

    CatalogSectionModel *section() const { return m_section; }
    void setSection(CatalogSectionModel *section);
    PinGate *pinGate() const { return m_pinGate; }
    Pane pane() const { return m_pane; }
    QString hintText() const { return m_hintText; }

    // A click on a category row: the PIN prompt for a locked category, else its selection.
    Q_INVOKABLE void categoryClicked(const QString &categoryId);
    // "Reintentar" under a failed list: the selected row is loaded again.
    Q_INVOKABLE void retry();

Q_SIGNALS:
    void sectionChanged();
    void paneChanged();
    void hintTextChanged();

private:
    void update();

    QPointer<CatalogSectionModel> m_section;
    PinGate *m_pinGate;
    Pane m_pane = Pane::EmptyList;
    QString m_hintText;
};
