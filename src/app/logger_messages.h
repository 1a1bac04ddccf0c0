#pragma once
// The window's wording of what the logger session reports: an exchange that
// failed, where a job stopped, why no logger could be had. The session
// hands over values; the words are the window's, in its language.

#include <QCoreApplication>
#include <QString>

#include "session/logger_session.h"

namespace varnelo {

class LoggerMessages {
    Q_DECLARE_TR_FUNCTIONS(varnelo::LoggerMessages)
public:
    // "レコードの読み出し (コマンド 16): 6728 バイト中 3364 バイトしか時間内に届きませんでした"
    static QString exchange(const Status& failure);
    // Why a job stopped, without where: the exchange, or a port gone for good.
    static QString stopCause(const SessionStep& step);
    // Why no logger answered the connection.
    static QString connection(const Status& report, const LoggerState* state);
};

}  // namespace varnelo
