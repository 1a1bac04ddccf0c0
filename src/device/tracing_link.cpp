#include "device/tracing_link.h"

namespace varnelo {

TracingLink::TracingLink(std::unique_ptr<ByteLink> link, std::shared_ptr<TraceFile> trace,
                         const std::string& portName, TraceForm form)
    : m_link(std::move(link)), m_trace(std::move(trace)), m_form(form) {
    m_trace->begin(portName);
}

void TracingLink::tellGone() {
    if (m_goneTold || !m_link->gone()) return;
    m_goneTold = true;
    m_trace->event("the port has gone");
}

std::size_t TracingLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    const std::size_t sent = m_link->write(bytes, deadline);
    if (m_form == TraceForm::Full) {
        m_trace->event("> " + std::to_string(sent) + " of " + std::to_string(bytes.size()) + " bytes", bytes.data(),
                       sent);
    } else {
        const auto frame = ReadTracedFrame(bytes);
        if (frame && frame->record) m_selected = frame->record;
        std::string name = frame ? ExchangeName(frame->code, m_selected) : "write";
        // What a Send carries is part of the exchange: a sensor upload is
        // checked by it.
        if (frame && !frame->payload.empty() && !frame->record) {
            name += ", sent " + ReplySummary(frame->payload, frame->payload.size());
        }
        if (!frame) {
            m_trace->event(name + ": " + ReplySummary(bytes.first(sent), bytes.size()));
        } else if (sent == bytes.size()) {
            m_awaiting = std::move(name);
        } else {
            m_awaiting.reset();
            m_trace->event(name + ": only " + std::to_string(sent) + " of " + std::to_string(bytes.size()) +
                           " bytes went out");
        }
    }
    tellGone();
    return sent;
}

std::size_t TracingLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    const std::size_t got = m_link->read(buffer, n, deadline);
    if (m_form == TraceForm::Full) {
        m_trace->event("< " + std::to_string(got) + " of " + std::to_string(n) + " bytes", buffer, got);
    } else {
        const std::string name = m_awaiting.value_or("read");
        m_awaiting.reset();
        m_trace->event(name + ": " + ReplySummary(std::span(buffer, got), n));
    }
    tellGone();
    return got;
}

void TracingLink::discardInput() {
    m_link->discardInput();
    m_awaiting.reset();
    m_trace->event("input discarded");
    tellGone();
}

bool TracingLink::inputPending() {
    const bool pending = m_link->inputPending();
    if (pending) m_trace->event("more input than asked for is waiting");
    return pending;
}

OpenedPort TracingCatalog::open(const std::string& portName) {
    OpenedPort opened = m_catalog.open(portName);
    if (opened.link) {
        // The link starts the trace's clock and header; the notes follow it.
        auto traced = std::make_unique<TracingLink>(std::move(opened.link), m_trace, portName, m_form);
        for (const std::string& note : opened.notes) m_trace->event("note: " + note);
        opened.link = std::move(traced);
    } else {
        m_trace->begin(portName);
        m_trace->event("cannot open: " + opened.status.detail);
    }
    return opened;
}

}  // namespace varnelo
