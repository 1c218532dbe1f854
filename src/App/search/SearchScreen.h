#pragma once

#include "search/SearchModel.h"
#include "sections/SectionScreen.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

// The controller of the search screen: the kind chips, what the results area shows, "Reintentar",
// and the player over the section for a movie or an episode found here.
class SearchScreen : public SectionScreen
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SearchModel *model READ model WRITE setModel NOTIFY modelChanged FINAL)
    Q_PROPERTY(Pane pane READ pane NOTIFY paneChanged FINAL)
    // What the results area says instead of results (a short query, no match); "" otherwise.
    Q_PROPERTY(QString hintText READ hintText NOTIFY paneChanged FINAL)

public:
    enum class Pane {
        Loading, // the selected kind's list is on its way
        Error,   // its fetch failed, with "Reintentar"
        Hint,    // the query is too short to search
        Empty,   // nothing matches
        Results, // the matches
    };
    Q_ENUM(Pane)

    explicit SearchScreen(QObject *parent = nullptr);

    static Pane paneFor(bool isLoading, bool hasError, bool queryTooShort, qsizetype resultCount);
    static QString hintFor(Pane pane);

    SearchModel *model() const { return m_model; }
    void setModel(SearchModel *model);
    Pane pane() const { return m_pane; }
    QString hintText() const { return hintFor(m_pane); }

    // A kind chip: that kind's results, its list fetched when it is not here yet.
    Q_INVOKABLE void selectKind(int kind);
    // "Reintentar": the selected kind's list is fetched again.
    Q_INVOKABLE void retry();
    // A result: the channel full screen, or the movie's or series' detail screen.
    Q_INVOKABLE void openResult(int row);

Q_SIGNALS:
    void modelChanged();
    void paneChanged();

protected:
    DetailKind otherDetailKind(QMetaType type) const override;

private:
    void update();

    QPointer<SearchModel> m_model;
    Pane m_pane = Pane::Hint;
};
