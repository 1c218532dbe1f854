#pragma once

#include "catalog/CatalogSectionModel.h"
#include "sections/PinGate.h"
#include "sections/SectionScreen.h"

#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The controller of a catalog section's screen (movies or series): the category clicks behind the
// parental PIN, what the right pane shows, what a card opens, and the player over the section.
// The screen's QML only binds to it.
class CatalogScreen : public SectionScreen
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(CatalogSectionModel *model READ model WRITE setModel NOTIFY modelChanged FINAL)
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
        Spinner,        // a category's list (or the disk copy of the whole catalog) is on its way
    };
    Q_ENUM(Pane)

    explicit CatalogScreen(QObject *parent = nullptr);

    // The pane for the selection ("" for none) and the state of its list.
    static Pane paneFor(const QString &selectedId, bool isLoading, bool isDownloadingCatalog, bool hasError,
                        qsizetype listSize);

    CatalogSectionModel *model() const { return m_model; }
    void setModel(CatalogSectionModel *model);
    PinGate *pinGate() const { return m_pinGate; }
    Pane pane() const { return m_pane; }
    QString hintText() const { return m_hintText; }

    // A click on a category row: the PIN prompt for a locked category, else its selection.
    Q_INVOKABLE void categoryClicked(const QString &categoryId);
    // "Reintentar" under a failed list: the selected row is loaded again.
    Q_INVOKABLE void retry();
    // A card of the list, or of "Continuar viendo": its detail screen opens over the section.
    Q_INVOKABLE void openCard(int row);
    Q_INVOKABLE void openContinueCard(int row);

Q_SIGNALS:
    void modelChanged();
    void paneChanged();
    void hintTextChanged();

private:
    void update();

    QPointer<CatalogSectionModel> m_model;
    PinGate *m_pinGate;
    Pane m_pane = Pane::EmptyList;
    QString m_hintText;
};
