#pragma once

#include <QUrl>

namespace tavrin {

class Clock;
class Defaults;
class HttpClient;
class KeychainStore;
class LanguageModel;
class RequestLog;

// What the planners run on. The base addresses are fixed for the product;
// tests point them at a loopback server.
struct PlanningServices {
    Defaults* defaults = nullptr;
    Clock* clock = nullptr;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    KeychainStore* keychain = nullptr;
    RequestLog* log = nullptr;
    QUrl anthropicBase = defaultAnthropicBase();
    QUrl tavrinAIBase = defaultTavrinAIBase();

    // The platform's services, the shared Keychain store and request log.
    static PlanningServices fromPlatform();

    static QUrl defaultAnthropicBase();
    // A build setting: TAVRIN_AI_BASE_URL.
    static QUrl defaultTavrinAIBase();
};

} // namespace tavrin
