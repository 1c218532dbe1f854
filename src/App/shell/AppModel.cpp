#include "shell/AppModel.h"

#include "client/NorvaneError.h"

#include "playback/VLCEngine.h"
#include "session/NorvaneServers.h"
#include "session/SessionStore.h"
#include "system/OwnedDelay.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>

AppModel::AppModel(QObject *parent)
    : QObject(parent), m_session(&SessionStore::shared()), m_servers(NorvaneServers::all())
{
    fillFormFromLastSignIn();
    // Signing out stops playback; leaving the foreground pauses it, but never creates the engine.
    connect(this, &AppModel::playbackStopRequested, this, [] {
        if (VLCEngine *engine = VLCEngine::existing())
            engine->stop();
    });
    connect(this, &AppModel::playbackPauseRequested, this, [] {
        if (VLCEngine *engine = VLCEngine::existing())
            engine->pauseIfPlaying();
    });
    // On a desktop a window that only loses the focus (a click on another window) stays in the
    // foreground: the film goes on. Hidden or suspended, as some platforms report the whole
    // application, it has gone. qGuiApp casts whatever application there is; a headless one
    // (QCoreApplication) has no state.
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationHidden || state == Qt::ApplicationSuspended)
                Q_EMIT playbackPauseRequested();
        });
}

void AppModel::setWindow(QWindow *window)
{
    if (m_window == window)
        return;
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    if (m_window)
        connect(m_window, &QWindow::visibilityChanged, this, [this](QWindow::Visibility visibility) {
            if (visibility == QWindow::Minimized || visibility == QWindow::Hidden)
                Q_EMIT playbackPauseRequested();
        });
    Q_EMIT windowChanged();
}

void AppModel::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    Q_EMIT phaseChanged();
}

void AppModel::setClient(std::optional<XtreamClient> client)
{
    if (m_client == client)
        return;
    m_client = std::move(client);
    Q_EMIT clientChanged();
}

void AppModel::setOpenTab(std::optional<AppTab> tab)
{
    if (m_openTab == tab)
        return;
    m_openTab = tab;
    Q_EMIT openTabChanged();
}

QVariant AppModel::openTabValue() const
{
    return m_openTab ? QVariant::fromValue(int(*m_openTab)) : QVariant();
}

void AppModel::setOpenTabValue(const QVariant &tab)
{
    bool isNumber = false;
    const int value = tab.isValid() && !tab.isNull() ? tab.toInt(&isNumber) : -1;
    const bool known = isNumber && value >= int(AppTab::Live) && value <= int(AppTab::Settings);
    setOpenTab(known ? std::optional<AppTab>(AppTab(value)) : std::nullopt);
}

void AppModel::setLoginUser(const QString &text)
{
    if (m_loginUser == text)
        return;
    m_loginUser = text;
    Q_EMIT loginUserChanged();
}

void AppModel::setLoginPassword(const QString &text)
{
    if (m_loginPassword == text)
        return;
    m_loginPassword = text;
    Q_EMIT loginPasswordChanged();
}

void AppModel::setLoggingIn(bool running)
{
    if (m_isLoggingIn == running)
        return;
    m_isLoggingIn = running;
    Q_EMIT isLoggingInChanged();
}

void AppModel::setLoginMessage(std::optional<QString> message)
{
    if (m_loginMessage == message)
        return;
    m_loginMessage = std::move(message);
    Q_EMIT loginMessageChanged();
}

QVariantList AppModel::tabs() const
{
    QVariantList list;
    for (AppTab tab : {AppTab::Live, AppTab::Movies, AppTab::Series, AppTab::Search, AppTab::Settings})
        list.append(int(tab));
    return list;
}

QString AppModel::title(AppTab tab)
{
    switch (tab) {
    case AppTab::Live:
        return QStringLiteral("TV en vivo");
    case AppTab::Movies:
        return QStringLiteral("Películas");
    case AppTab::Series:
        return QStringLiteral("Series");
    case AppTab::Search:
        return QStringLiteral("Buscar");
    case AppTab::Settings:
        return QStringLiteral("Ajustes");
    }
    return {};
}

QString AppModel::trimmedUserName(const QString &typed)
{
    const auto isBlank = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    };
    qsizetype first = 0;
    qsizetype end = typed.size();
    while (first < end && isBlank(typed.at(first)))
        ++first;
    while (end > first && isBlank(typed.at(end - 1)))
        --end;
    return typed.mid(first, end - first);
}

int AppModel::priority(const LoginOutcome &outcome)
{
    switch (outcome.kind) {
    case LoginOutcome::Kind::Expired:
    case LoginOutcome::Kind::Disabled:
        return 3;
    case LoginOutcome::Kind::InvalidCredentials:
        return 2;
    case LoginOutcome::Kind::Failed:
        return 1;
    case LoginOutcome::Kind::Success:
        break;
    }
    return 4;
}

QString AppModel::messageFor(const LoginOutcome &outcome)
{
    switch (outcome.kind) {
    case LoginOutcome::Kind::Expired:
        return NorvaneError::subscriptionExpired();
    case LoginOutcome::Kind::Disabled:
        return NorvaneError::accountDisabled();
    case LoginOutcome::Kind::InvalidCredentials:
        return NorvaneError::invalidCredentials();
    case LoginOutcome::Kind::Failed:
        return outcome.message;
    case LoginOutcome::Kind::Success:
        break;
    }
    return {};
}

QStringList AppModel::candidatesPreferring(const std::optional<QString> &savedServer) const
{
    return NorvaneServers::candidates(savedServer ? savedServer : std::optional<QString>(m_servers.value(0)),
                                      m_servers);
}

// Servers are tried strictly one after another; the first success wins, otherwise the verdict of
// highest priority (the earlier one on ties). The starting "no connection" verdict can only be
// replaced by an account verdict, so a server failure never shows its own text here.
QCoro::Task<AppModel::SignInResult> AppModel::tryCandidates(QStringList candidates, QString username,
                                                            QString password)
{
    LoginOutcome best = LoginOutcome::failed(NorvaneError::noConnection());
    for (const QString &base : candidates) {
        const XtreamClient client(base, username, password);
        const LoginOutcome verdict = co_await client.authenticate();
        if (verdict.kind == LoginOutcome::Kind::Success)
            co_return SignInResult{verdict, base};
        if (priority(verdict) > priority(best))
            best = verdict;
    }
    co_return SignInResult{best, {}};
}

void AppModel::rememberSignIn(const QString &base, const QString &username, const QString &password)
{
    m_session->saveSignIn(username, password, base);
    setClient(XtreamClient(base, username, password));
}

// A monotonic wait that never ends early (a timer may fire a little before its time); it ends
// at once if the model goes.
QCoro::Task<> AppModel::sleepAtLeast(std::chrono::milliseconds duration)
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        const qint64 left = duration.count() - elapsed.elapsed();
        if (left <= 0)
            co_return;
        const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(left));
        if (!waited)
            co_return;
    }
}

void AppModel::start()
{
    runStart(); // runs on by itself; the task object may go
}

QCoro::Task<> AppModel::runStart()
{
    QPointer<AppModel> self(this);
    // The minimum splash runs alongside the silent sign-in.
    QCoro::Task<> minimumSplash = sleepAtLeast(m_splashMinimum);
    Phase target = Phase::Login;
    if (m_session->isLoggedIn()) {
        const QString username = m_session->readOrEmpty(SessionStore::usernameItem);
        const QString password = m_session->readOrEmpty(SessionStore::passwordItem);
        const QStringList candidates = candidatesPreferring(m_session->read(SessionStore::serverUrlItem));
        const SignInResult result = co_await tryCandidates(candidates, username, password);
        if (!self)
            co_return;
        if (result.verdict.kind == LoginOutcome::Kind::Success) {
            rememberSignIn(result.base, username, password);
            target = Phase::Home;
        }
    }
    co_await minimumSplash;
    if (self)
        setPhase(target);
}

void AppModel::login()
{
    runLogin(); // runs on by itself; the task object may go
}

QCoro::Task<> AppModel::runLogin()
{
    QPointer<AppModel> self(this);
    setLoggingIn(true);
    setLoginMessage(std::nullopt);
    const QString username = trimmedUserName(m_loginUser);
    const QString password = m_loginPassword;
    const QStringList candidates = candidatesPreferring(m_session->read(SessionStore::serverUrlItem));
    const SignInResult result = co_await tryCandidates(candidates, username, password);
    if (!self)
        co_return;
    if (result.verdict.kind != LoginOutcome::Kind::Success) {
        setLoginMessage(messageFor(result.verdict));
        setLoggingIn(false);
        co_return;
    }
    rememberSignIn(result.base, username, password);
    setOpenTab(std::nullopt);
    setPhase(Phase::Home);
    setLoggingIn(false);
}

void AppModel::logOut()
{
    m_session->clearSignIn();
    setClient(std::nullopt);
    setOpenTab(std::nullopt);
    Q_EMIT playbackStopRequested();
    fillFormFromLastSignIn();
    setPhase(Phase::Login);
}

void AppModel::forgetCredentials()
{
    m_session->forgetCredentials();
    setLoginUser(QString());
    setLoginPassword(QString());
    logOut();
}

void AppModel::fillFormFromLastSignIn()
{
    setLoginUser(m_session->readOrEmpty(SessionStore::lastUsernameItem));
    setLoginPassword(m_session->readOrEmpty(SessionStore::lastPasswordItem));
}
