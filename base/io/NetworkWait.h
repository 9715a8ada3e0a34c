#pragma once

#include <QSslConfiguration>
#include <functional>
#include <string>

class QNetworkReply;

namespace windlark {

// TLS 1.2 or later with the peer verified against the system's CAs, plus those of `caFile`
// (PEM) when one is given.
QSslConfiguration VerifiedTls(const std::string& caFile);

enum class ReplyEnd { Finished, TimedOut, Cancelled };

// Runs a local event loop until `reply` finishes, `timeoutMs` have passed since the call (a
// server that accepts and then sends nothing, or trickles, must not hold the caller), or
// `cancelled` says so; the last two abort the reply.
ReplyEnd AwaitReply(QNetworkReply* reply, int timeoutMs, const std::function<bool()>& cancelled);

}  // namespace windlark
