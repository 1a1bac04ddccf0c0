#include "device/record_download.h"

#include <array>

#include "data/byte_order.h"
#include "device/command.h"
#include "device/connection.h"
#include "device/device_link.h"

namespace varnelo {

std::chrono::milliseconds RecordDownload::start(int deviceRecordCount) {
    m_total = HoldRecordCount(deviceRecordCount);
    m_nextRecord = 0;
    m_doc.blocks().prepareForRecords(m_total);
    m_pending = true;
    return DOWNLOAD_START_DELAY;
}

ExchangeResult RecordDownload::fetch(int index, std::string& failure) {
    std::array<std::uint8_t, RECORD_INDEX_SIZE> payload;
    WriteI32Le(payload.data(), index);
    const ExchangeResult selected = Send(m_link, DeviceCommand::CMD_SELECT_RECORD, payload);
    if (!selected) {
        failure = DescribeFailure(DeviceCommand::CMD_SELECT_RECORD, selected, m_link);
        return selected;
    }
    // Straight into the record's own block: no copy after arrival.
    const ExchangeResult read =
        Request(m_link, DeviceCommand::CMD_READ_RECORD, m_doc.record(index).bytes.data(), BLOCK_SIZE);
    if (!read) failure = DescribeFailure(DeviceCommand::CMD_READ_RECORD, read, m_link);
    return read;
}

void RecordDownload::cancel() {
    if (!m_pending) return;
    m_pending = false;
    m_doc.setRecordCount(m_nextRecord);
}

DownloadStep RecordDownload::step() {
    DownloadStep result;
    result.total = m_total;
    result.done = m_nextRecord;
    if (!m_pending) return result;

    if (m_nextRecord >= m_total) {
        m_doc.setRecordCount(m_total);
        m_pending = false;
        result.kind = DownloadStep::Kind::Completed;
        return result;
    }

    const int index = m_nextRecord;
    result.record = index;
    std::string failure;
    if (const ExchangeResult first = fetch(index, failure); !first) {
        bool fetched = false;
        if (WorthRetrying(first, m_link)) {
            // Late bytes of the failed reply would shift the next one: drop them first.
            m_link.discardInput();
            result.retried = true;
            fetched = fetch(index, failure).ok();
        }
        if (!fetched) {
            // The block of `index` may hold part of a reply; the count leaves it out.
            m_doc.setRecordCount(index);
            m_pending = false;
            result.kind = DownloadStep::Kind::Stopped;
            result.failure = "record " + std::to_string(index) + ": " + failure;
            return result;
        }
    }
    result.kind = DownloadStep::Kind::Fetched;
    result.label = RecordTimeLabel(m_doc.record(index));
    result.done = ++m_nextRecord;
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

}  // namespace varnelo
