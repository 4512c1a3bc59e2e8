#include "run/status_text.h"

#include "run/report.h"

namespace lurendo {

namespace {

std::string with_reason(std::string_view text, const std::string& path, const std::string& reason) {
    std::string status = std::string(text) + nome_stampabile(path);
    if (!reason.empty())
        status += " (" + reason + ")";
    return status;
}

}  // namespace

std::string testo_avanzamento(int64_t righe) {
    return std::string(kLinesReadText) + std::to_string(righe);
}

std::string testo_stato(const RisultatoRun& r) {
    switch (r.esito) {
        case Esito::Eseguito:
            return std::string(kDoneText) + nome_stampabile(r.uscita);
        case Esito::AperturaFallita:
            return with_reason(kOpenErrorText, r.ingresso, r.motivo);
        case Esito::LetturaFallita:
            return with_reason(kReadErrorText, r.ingresso, r.motivo);
        case Esito::ScritturaFallita:
            return with_reason(kWriteErrorText, r.uscita, r.motivo);
        case Esito::NessunPunto:
            return std::string(kNoPointsText) + nome_stampabile(r.ingresso);
        case Esito::MemoriaInsufficiente:
            return std::string(kNoMemoryText) + nome_stampabile(r.ingresso);
        case Esito::UscitaUgualeIngresso:
            return std::string(kSameFileText) + nome_stampabile(r.ingresso);
        case Esito::Interrotto:
            break;
    }
    return std::string(kCancelledText);
}

bool fallito(const RisultatoRun& r) {
    return r.esito != Esito::Eseguito && r.esito != Esito::Interrotto;
}

}  // namespace lurendo
