#pragma once

#include <QUrl>

namespace tavrin {

class Clock;
class Defaults;
class HttpClient;
class KeychainStore;
class LanguageModel;
class RequestLog;

// What the planners run on, each outliving them: all required but the
// network (none: the cloud planners can't be reached) and the language
// model (none: no model on this computer). The base addresses are
// fixed for the product; tests point them at a loopback server.
struct PlanningServices {
    Defaults* defaults = nullptr;
    Clock* clock = nullptr;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    KeychainStore* keychain = nullptr;
    RequestLog* log = nullptr;
    QUrl anthropicBase = defaultAnthropicBase();
    QUrl tavrinAIBase = defaultTavrinAIBase();

    // Whether the required services are given.
    bool complete() const { return defaults && clock && keychain && log; }

    static QUrl defaultAnthropicBase();
    // A build setting: TAVRIN_AI_BASE_URL.
    static QUrl defaultTavrinAIBase();
};

} // namespace tavrin
