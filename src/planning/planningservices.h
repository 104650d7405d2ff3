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
// model (none: no model on this computer), which alone may be null. The base addresses are
// fixed for the product; tests point them at a loopback server.
struct PlanningServices {
    Defaults& defaults;
    Clock& clock;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    KeychainStore& keychain;
    RequestLog& log;
    QUrl anthropicBase = defaultAnthropicBase();
    QUrl tavrinAIBase = defaultTavrinAIBase();

    static QUrl defaultAnthropicBase();
    // A build setting: TAVRIN_AI_BASE_URL.
    static QUrl defaultTavrinAIBase();
};

} // namespace tavrin
