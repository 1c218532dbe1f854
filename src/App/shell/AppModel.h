#pragma once

#include "client/LoginOutcome.h"
#include "client/XtreamClient.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWindow>
#include <QtQml/qqmlregistration.h>
#include <chrono>
#include <optional>

class SessionStore;

// The one application-wide model: which root screen is shown, the signed-in provider connection,
// the open main section and the login form. Signs in against the provider's servers one after
// the other, silently at start-up from the saved sign-in, and signs out.
class AppModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged FINAL)
    // The signed-in connection; an empty value (hasClient false) before sign-in and after log-out.
    Q_PROPERTY(XtreamClient client READ clientValue NOTIFY clientChanged FINAL)
    Q_PROPERTY(bool hasClient READ hasClient NOTIFY clientChanged FINAL)
    // The open main section (an AppTab), or undefined for the main menu.
    Q_PROPERTY(QVariant openTab READ openTabValue WRITE setOpenTabValue NOTIFY openTabChanged FINAL)
    Q_PROPERTY(QString loginUser READ loginUser WRITE setLoginUser NOTIFY loginUserChanged FINAL)
    Q_PROPERTY(
        QString loginPassword READ loginPassword WRITE setLoginPassword NOTIFY loginPasswordChanged FINAL)
    Q_PROPERTY(bool isLoggingIn READ isLoggingIn NOTIFY isLoggingInChanged FINAL)
    // The message under the login form after a failed sign-in; empty when hasLoginMessage is false.
    Q_PROPERTY(QString loginMessage READ loginMessageText NOTIFY loginMessageChanged FINAL)
    Q_PROPERTY(bool hasLoginMessage READ hasLoginMessage NOTIFY loginMessageChanged FINAL)
    // Every main section in menu order (AppTab values).
    Q_PROPERTY(QVariantList tabs READ tabs CONSTANT FINAL)
    // The application's window: minimised or hidden, the application has gone to the background.
    Q_PROPERTY(QWindow *window READ window WRITE setWindow NOTIFY windowChanged FINAL)

public:
    enum class Phase { Splash, Login, Home };
    Q_ENUM(Phase)

    // The main sections; each one's title is its raw value.
    enum class AppTab { Live, Movies, Series, Search, Settings };
    Q_ENUM(AppTab)

    explicit AppModel(QObject *parent = nullptr);

    Phase phase() const { return m_phase; }
    const std::optional<XtreamClient> &client() const { return m_client; }
    XtreamClient clientValue() const { return m_client.value_or(XtreamClient()); }
    bool hasClient() const { return m_client.has_value(); }
    std::optional<AppTab> openTab() const { return m_openTab; }
    void setOpenTab(std::optional<AppTab> tab);
    QVariant openTabValue() const;
    void setOpenTabValue(const QVariant &tab);
    QString loginUser() const { return m_loginUser; }
    void setLoginUser(const QString &text);
    QString loginPassword() const { return m_loginPassword; }
    void setLoginPassword(const QString &text);
    bool isLoggingIn() const { return m_isLoggingIn; }
    const std::optional<QString> &loginMessage() const { return m_loginMessage; }
    QString loginMessageText() const { return m_loginMessage.value_or(QString()); }
    bool hasLoginMessage() const { return m_loginMessage.has_value(); }
    QVariantList tabs() const;
    QWindow *window() const { return m_window; }
    void setWindow(QWindow *window);

    Q_INVOKABLE static QString title(AppModel::AppTab tab);

    // The start-up sequence; the splash screen starts it once.
    Q_INVOKABLE void start();
    // A sign-in with the form's fields; the login screen starts it.
    Q_INVOKABLE void login();
    Q_INVOKABLE void logOut();
    // Forgets the saved credentials, empties the form, then logs out.
    Q_INVOKABLE void forgetCredentials();

    // The same operations as awaitable tasks (the invokables start these).
    QCoro::Task<> runStart();
    QCoro::Task<> runLogin();

    // The servers tried, primary first (the built-in defaults unless replaced).
    QStringList servers() const { return m_servers; }
    void setServers(const QStringList &bases) { m_servers = bases; }
    // How long the splash shows at least (2 s unless replaced).
    std::chrono::milliseconds splashMinimum() const { return m_splashMinimum; }
    void setSplashMinimum(std::chrono::milliseconds duration) { m_splashMinimum = duration; }

    // The user name with blanks (spaces, tabs, other space separators) removed from both ends;
    // line breaks stay.
    static QString trimmedUserName(const QString &typed);
    // Verdict priorities between servers: a verdict replaces the best one only when strictly higher.
    static int priority(const LoginOutcome &outcome);
    static QString messageFor(const LoginOutcome &outcome);

Q_SIGNALS:
    void phaseChanged();
    void clientChanged();
    void openTabChanged();
    void loginUserChanged();
    void loginPasswordChanged();
    void isLoggingInChanged();
    void loginMessageChanged();
    void windowChanged();
    // Engine hooks: log-out must stop the shared playback engine (emitted at the point of the
    // log-out sequence where it stops), and the application going to the background (its window
    // minimised or hidden; another window taking the focus is not that) must pause it.
    // The playback engine connects to these.
    void playbackStopRequested();
    void playbackPauseRequested();

private:
    struct SignInResult
    {
        LoginOutcome verdict;
        QString base; // the server that accepted the sign-in
    };
    static QCoro::Task<SignInResult> tryCandidates(QStringList candidates, QString username,
                                                   QString password);
    QCoro::Task<> sleepAtLeast(std::chrono::milliseconds duration);
    QStringList candidatesPreferring(const std::optional<QString> &savedServer) const;
    void rememberSignIn(const QString &base, const QString &username, const QString &password);

    void setPhase(Phase phase);
    void setClient(std::optional<XtreamClient> client);
    void setLoggingIn(bool running);
    void setLoginMessage(std::optional<QString> message);
    void fillFormFromLastSignIn();

    SessionStore *m_session;
    Phase m_phase = Phase::Splash;
    std::optional<XtreamClient> m_client;
    std::optional<AppTab> m_openTab;
    QString m_loginUser;
    QString m_loginPassword;
    bool m_isLoggingIn = false;
    std::optional<QString> m_loginMessage;
    QStringList m_servers;
    QPointer<QWindow> m_window;
    std::chrono::milliseconds m_splashMinimum{2000};
};
