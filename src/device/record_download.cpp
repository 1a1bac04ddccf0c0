#include "device/record_download.h"

#include <algorithm>
#include <array>

#include "data/byte_order.h"
#include "device/command.h"
#include "device/connection.h"
#include "device/device_link.h"

namespace varnelo {

std::chrono::milliseconds RecordDownload::start(int deviceRecordCount) {
    return startAt(0, HoldRecordCount(deviceRecordCount));
}

std::chrono::milliseconds RecordDownload::startAt(int first, int end) {
    m_total = std::clamp(end, 0, RECORD_CAPACITY);
    m_nextRecord = std::clamp(first, 0, m_total);
    m_doc.blocks().prepareForRecords(m_total, m_nextRecord);
    m_pending = true;
    return DOWNLOAD_START_DELAY;
}

namespace {

ExchangeResult FetchOnce(ByteLink& link, int index, MeasurementRecord& into, std::string& failure) {
    std::array<std::uint8_t, RECORD_INDEX_SIZE> payload;
    WriteI32Le(payload.data(), index);
    const ExchangeResult selected = Send(link, DeviceCommand::CMD_SELECT_RECORD, payload);
    if (!selected) {
        failure = DescribeFailure(DeviceCommand::CMD_SELECT_RECORD, selected, link);
        return selected;
    }
    const ExchangeResult read = Request(link, DeviceCommand::CMD_READ_RECORD, into.bytes.data(), BLOCK_SIZE);
    if (!read) failure = DescribeFailure(DeviceCommand::CMD_READ_RECORD, read, link);
    return read;
}

}  // namespace

RecordFetch FetchRecord(ByteLink& link, int index, MeasurementRecord& into) {
    RecordFetch fetch;
    const ExchangeResult first = FetchOnce(link, index, into, fetch.failure);
    fetch.ok = first.ok();
    if (!fetch.ok && WorthRetrying(first, link)) {
        // Late bytes of the failed reply would shift the next one: drop them first.
        link.discardInput();
        fetch.retried = true;
        fetch.failure.clear();
        fetch.ok = FetchOnce(link, index, into, fetch.failure).ok();
    }
    return fetch;
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
    // Straight into the record's own block: no copy after arrival.
    const RecordFetch fetch = FetchRecord(m_link, index, m_doc.record(index));
    result.retried = fetch.retried;
    if (!fetch.ok) {
        // The block of `index` may hold part of a reply; the count leaves it out.
        m_doc.setRecordCount(index);
        m_pending = false;
        result.kind = DownloadStep::Kind::Stopped;
        result.failure = "record " + std::to_string(index) + ": " + fetch.failure;
        return result;
    }
    result.kind = DownloadStep::Kind::Fetched;
    result.label = RecordTimeLabel(m_doc.record(index));
    result.done = ++m_nextRecord;
    result.rearm = DOWNLOAD_STEP_DELAY;
    return result;
}

}  // namespace varnelo
