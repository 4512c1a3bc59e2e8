// The report of a run: its entries and texts, the sums of a batch, and a run that runs out of memory.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "run/run.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::read_file;

std::vector<std::string> keys_of(const std::vector<Voce>& voci) {
    std::vector<std::string> keys;
    for (const Voce& v : voci)
        keys.push_back(v.chiave);
    return keys;
}

TEST(Report, TheWorkedRunsEntriesComeInTheirOrderWithTheirTexts) {
    test::TempDir dir;
    const RisultatoEsecuzione r = test::run_bytes(dir, read_file(test::data_file("worked.gpx"))).report;
    EXPECT_EQ(keys_of(r.voci),
              (std::vector<std::string>{"lbl_risultato", "motivo", "dist_tot", "tempo_tot", "dist_parz",
                                        "tempo_parz", "2s", "10s", "5x10s", "500m", "alpha500", "miglio",
                                        "1h", "planata_percento", "fonte_velocita", "intervallo_mediano_s"}));
    const Voce& distance = *trova_voce(r.voci, "dist_tot");
    EXPECT_EQ(distance.testo, "0,03 km");
    EXPECT_EQ(distance.numero, "0,03");
    EXPECT_EQ(trova_voce(r.voci, "tempo_parz")->testo, "0:0:4");
    const Voce& two_s = *trova_voce(r.voci, "2s");
    EXPECT_EQ(two_s.testo, "24,5");
    EXPECT_EQ(two_s.nodi, "13,2");
    const Voce& ten_s = *trova_voce(r.voci, "10s");
    EXPECT_FALSE(ten_s.valore.has_value());
    EXPECT_EQ(ten_s.testo, "–");
    EXPECT_EQ(ten_s.numero, "");
    EXPECT_EQ(trova_voce(r.voci, "planata_percento")->testo, "50,0");
    EXPECT_EQ(trova_voce(r.voci, "motivo")->testo, "");
    EXPECT_EQ(trova_voce(r.voci, "fonte_velocita")->numero, "posizioni");
    EXPECT_EQ(trova_voce(r.voci, "fonte_velocita")->testo, "Velocità dalle posizioni");
    // Points 4 s apart: the short results cover longer runs than their names say.
    const Voce& interval = *trova_voce(r.voci, "intervallo_mediano_s");
    EXPECT_EQ(interval.valore, 4);
    EXPECT_EQ(interval.testo,
              "Punti registrati ogni 4 s: i risultati brevi (2 s, 10 s) sono medie di tratti più lunghi.");
}

TEST(Report, SpeedsAreRoundedOnceByTheDecimalRounding) {
    EXPECT_EQ(testo_velocita(12.25), "12,2");  // an exact half goes to the even neighbour
    EXPECT_EQ(testo_velocita(12.75), "12,8");
    EXPECT_EQ(testo_velocita(18.0), "18,0");
    EXPECT_EQ(testo_velocita(-0.04), "0,0");
    EXPECT_EQ(testo_velocita(std::nullopt), "–");
}

TEST(Report, TheSumHoldsOnlyTheCompletedRuns) {
    RisultatoEsecuzione done;
    done.esito = Esito::Eseguito;
    done.totali = Totali{100, 500, 50, 400};
    RisultatoEsecuzione not_written = done;  // figures, but its output failed
    not_written.esito = Esito::ScritturaFallita;
    RisultatoEsecuzione empty;
    empty.esito = Esito::NessunPunto;
    const std::vector<Voce> sum = voci_somma({done, not_written, empty, done});
    EXPECT_EQ(trova_voce(sum, "tempo_tot")->valore, 200);
    EXPECT_EQ(trova_voce(sum, "dist_parz")->testo, "0,8 km");
    EXPECT_EQ(trova_voce(sum, "planata_percento")->testo, "50,0");
    EXPECT_EQ(trova_voce(sum, "2s"), nullptr) << "speed results do not add up";
}

TEST(Report, NamesAreShownWithTheirControlCharactersEscaped) {
    EXPECT_EQ(nome_stampabile("a\x1b[31mb\tc\x7f.gpx"), "a\\x1B[31mb\\x09c\\x7F.gpx");
    EXPECT_EQ(nome_stampabile("\xc2\x9b"
                              "2J"),
              "\\xC2\\x9B2J");                                         // C1 control, UTF-8
    EXPECT_EQ(nome_stampabile("corsa è\xff.gpx"), "corsa è\xff.gpx");  // letters and stray bytes stay
}

// The machine's files, except that the input runs out of memory after `throw_after` bytes.
class MemoryHungryFiles final : public test::SystemFiles {
  public:
    explicit MemoryHungryFiles(long throw_after) : throw_after_(throw_after) {}
    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override {
        auto real = system_file_system().open_input(path, error);
        return real ? std::make_unique<Input>(std::move(real), throw_after_) : nullptr;
    }

  private:
    class Input final : public InputFile {
      public:
        Input(std::unique_ptr<InputFile> real, long throw_after)
            : real_(std::move(real)), left_(throw_after) {}
        long read(char* buffer, size_t capacity, std::error_code& error) override {
            if (left_ <= 0)
                throw std::bad_alloc();
            const long n = real_->read(buffer, std::min(capacity, static_cast<size_t>(left_)), error);
            left_ -= n;
            return n;
        }

      private:
        std::unique_ptr<InputFile> real_;
        long left_;
    };
    long throw_after_;
};

// Out of memory early (nothing published yet) and late (the statistics already running beside the
// reading): the run ends with its own outcome, the old output as it was and no file left.
TEST(Report, RunningOutOfMemoryLeavesTheOldOutputAndNoTemporary) {
    test::TempDir dir;
    std::string points;
    for (int i = 0; i < 40000; ++i) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", 10 + i / 3600, i / 60 % 60, i % 60);
        points += test::canonical_point("45." + std::to_string(100000 + i), "10.5", time);
    }
    test::write_file(dir.file("in.gpx"), test::canonical_document(points));
    test::write_file(dir.file("out.gpx"), "old");
    const auto names = test::names_in(dir.path());
    for (const long after : {100L, 1L << 20, 3L << 20}) {
        MemoryHungryFiles files(after);
        const RisultatoEsecuzione r = esegui(dir.file("in.gpx"), dir.file("out.gpx"), {}, files);
        EXPECT_TRUE((r.esito == Esito::MemoriaInsufficiente)) << after;
        EXPECT_FALSE(r.totali.has_value());
        EXPECT_EQ(trova_voce(r.voci, "lbl_risultato")->testo,
                  "Errore: memoria insufficiente per il file " + dir.file("in.gpx"));
        EXPECT_EQ(read_file(dir.file("out.gpx")), "old");
        EXPECT_EQ(test::names_in(dir.path()), names) << after;
    }
}

}  // namespace
}  // namespace lurendo
