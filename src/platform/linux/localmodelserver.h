#pragma once

#include "platform/languagemodel.h"
#include "platform/taskhandle.h"

#include <QList>
#include <QPointer>
#include <QUrl>

namespace tavrin {

class Clock;
class HttpClient;

// The on-device language model on Linux: a model server on this computer
// that speaks the OpenAI-compatible chat-completions API (Ollama,
// llama.cpp's llama-server, …). The variable TAVRIN_LOCAL_MODEL names its
// address, perhaps with a model after "#" ("http://127.0.0.1:11434#llama3.2");
// without it, Ollama's and llama-server's usual addresses are tried in that
// order. Only loopback addresses are ever asked, and only while every socket
// listening on the port is the user's own or root's (see LoopbackListener): another
// user's server is never sent a thing. The model is available when
// a server lists a model at GET /v1/models within kProbeTimeout: the one
// named, else the first listed.
class LocalModelServer : public LanguageModel {
    Q_OBJECT
public:
    static inline const char* kVariable = "TAVRIN_LOCAL_MODEL";
    static constexpr double kProbeTimeout = 1.0;
    // One plan: the cloud planners' time-out and token limit.
    static constexpr double kTimeout = 30.0;
    static constexpr int kMaxTokens = 1024;
    // A check older than this is made again when availability is asked.
    static constexpr double kStale = 10.0;

    // Where to look, from the variable's value; `problem` when it names no
    // usable address.
    struct Setting {
        QList<QUrl> servers;
        QString model; // empty: the first listed
        QString problem;
    };
    static Setting setting(const QString& variable);

    // `http` and `clock` must outlive the model; `variable` is the value of
    // TAVRIN_LOCAL_MODEL. The first check starts once the event loop runs.
    LocalModelServer(HttpClient& http, Clock& clock, const QString& variable, QObject* parent = nullptr);

    // What the last check found (unavailable before the first answers);
    // starts another check when that one is older than kStale.
    Availability availability() const override;
    // Asks the server now.
    QCoro::Task<Availability> checkAvailability() override;
    std::shared_ptr<LanguageModelSession> makeSession(QString instructions, PlanGuide guide) override;

    // The server and model of the last successful check.
    QUrl server() const { return server_; }
    QString model() const { return model_; }

private:
    struct Found {
        Availability availability;
        QUrl server;
        QString model;
    };
    // Asks each server in turn until one answers as a model server.
    QCoro::Task<Found> look();
    QCoro::Task<> check(CancelToken cancel);
    // The models a server lists; none when it does not answer as a model
    // server.
    QCoro::Task<std::optional<QStringList>> models(QUrl server);
    void settle(Availability availability);

    QPointer<HttpClient> http_;
    Clock& clock_;
    Setting setting_;
    Availability availability_;
    QUrl server_;
    QString model_;
    double checkedAt_ = -1e9; // on the monotonic clock
    bool checking_ = false;
    mutable TaskHandle task_;
};

} // namespace tavrin
