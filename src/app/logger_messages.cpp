#include "app/logger_messages.h"

#include "device/port_match.h"

namespace varnelo {

namespace {

QString CommandText(DeviceCommand command) {
    switch (command) {
        case DeviceCommand::CMD_READ_IDENT_A: return LoggerMessages::tr("識別情報 A (コマンド 0)");
        case DeviceCommand::CMD_READ_IDENT_B: return LoggerMessages::tr("識別情報 B (コマンド 2)");
        case DeviceCommand::CMD_READ_DEVICE_INFO: return LoggerMessages::tr("装置情報 (コマンド 6)");
        case DeviceCommand::CMD_READ_PARAMETERS: return LoggerMessages::tr("パラメータブロック (コマンド 8)");
        case DeviceCommand::CMD_READ_RECORD: return LoggerMessages::tr("レコードの読み出し (コマンド 16)");
        case DeviceCommand::CMD_READ_RECORD_COUNT: return LoggerMessages::tr("レコード数 (コマンド 18)");
        case DeviceCommand::CMD_WRITE_DEVICE_INFO: return LoggerMessages::tr("装置情報の書き込み (コマンド 139)");
        case DeviceCommand::CMD_SELECT_RECORD: return LoggerMessages::tr("レコードの選択 (コマンド 140)");
    }
    return LoggerMessages::tr("コマンド %1").arg(static_cast<int>(command));
}

}  // namespace

QString LoggerMessages::exchange(const Status& failure) {
    const auto expected = static_cast<qulonglong>(failure.expected);
    const auto done = static_cast<qulonglong>(failure.done);
    QString why;
    switch (failure.kind) {
        case Status::Kind::PortGone: why = tr("ポートが失われました (ケーブルが抜かれたか、閉じられました)"); break;
        case Status::Kind::ExchangeRefused: why = tr("長さ %1 はプロトコルの範囲外です").arg(expected); break;
        case Status::Kind::WriteShort: why = tr("%1 バイト中 %2 バイトしか書き込めませんでした").arg(expected).arg(done); break;
        case Status::Kind::ReplyShort:
            why = tr("%1 バイト中 %2 バイトしか時間内に届きませんでした").arg(expected).arg(done);
            break;
        case Status::Kind::ReplyLong: why = tr("応答が求めた %1 バイトより長く続きました").arg(expected); break;
        default: why = tr("正常"); break;
    }
    return CommandText(CommandOf(failure)) + QStringLiteral(": ") + why;
}

QString LoggerMessages::stopCause(const SessionStep& step) {
    if (!step.exchange) return tr("中止しました");
    if (step.exchange->kind == Status::Kind::PortGone && !step.connect) return tr("ポートが失われ、ロガーに接続し直せませんでした");
    return exchange(*step.exchange);
}

QString LoggerMessages::connection(const Status& report, const LoggerState* state) {
    if (report.kind == Status::Kind::NoLogger) {
        return tr("ロガーが見つかりません: %1 個のシリアルポートのどれも USB ID %2 を持っていません")
            .arg(report.portsSeen)
            .arg(QString::fromLatin1(LOGGER_HARDWARE_ID.data(), static_cast<qsizetype>(LOGGER_HARDWARE_ID.size())));
    }
    if (report.kind != Status::Kind::PortUnavailable) {
        if (state != nullptr && !state->failures.empty())
            return tr("ロガーが応答しません: %1").arg(exchange(state->failures.front()));
        return tr("ロガーが応答しません");
    }
    const QString port = QString::fromLocal8Bit(report.path);
    switch (report.cause) {
        case Status::Cause::PortMissing: return tr("ロガーのポート %1 がありません").arg(port);
        case Status::Cause::PortPermission:
            return tr("ロガーのポート %1 を開く権限がありません。dialout グループに入るか、パッケージの udev "
                      "ルールをインストールしてください")
                .arg(port);
        case Status::Cause::PortInUse: return tr("ロガーのポート %1 は別のプログラムが使っています").arg(port);
        case Status::Cause::PortNotSerial: return tr("%1 はシリアルポートではありません").arg(port);
        case Status::Cause::PortRawRefused: return tr("%1 のドライバーが raw モードを拒否しました").arg(port);
        default: break;
    }
    // The system's own word, in the system's language.
    return tr("ロガーのポート %1 を開けません (%2)").arg(port, QString::fromLocal8Bit(report.systemError));
}

}  // namespace varnelo
