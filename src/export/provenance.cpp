#include "export/provenance.h"

#include <cstdio>

namespace varnelo {

namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

}  // namespace

std::string ProvenanceJson(const Provenance& provenance) {
    std::string json = "{\"program\":" + JsonString(provenance.program) + ",\"inputs\":[";
    for (std::size_t i = 0; i < provenance.inputs.size(); ++i) {
        if (i > 0) json += ',';
        json += JsonString(provenance.inputs[i]);
    }
    return json + "],\"stages\":" + JsonString(provenance.stages) + "}";
}

std::string ProvenanceText(const Provenance& provenance) {
    std::string text = provenance.program + "; inputs: ";
    for (std::size_t i = 0; i < provenance.inputs.size(); ++i) {
        if (i > 0) text += ", ";
        text += provenance.inputs[i];
    }
    if (!provenance.stages.empty()) text += "; " + provenance.stages;
    for (char& c : text) {
        if (c == '{' || c == '}' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace varnelo
