#include <gtest/gtest.h>
#include <cstdio>
#include "UnitBench.h"
#include "SimUhfRadio.h"
#include "SimGsmModule.h"
#include "Transcript.h"
using namespace qvr;
TEST(Probe, Uhf) {
    for (const char* p : {"uhf", "gsm", "none", "lbx"}) {
    test::UnitBench b(p);
    b.OpenLink();
    ReceiverData rec{};
    bool ok = b.ma.UpdateAllData(rec, nullptr);
    printf("=== %s ok=%d kind=%d t=%.3f\n", p, ok, rec.peripheral.kind, b.Seconds());
    for (auto& l : b.link.Record().HostLines()) printf("  %s\n", l.c_str());
    for (auto& m : b.op.messages) printf("MSG [%s] %s\n", m.caption.c_str(), m.text.c_str());
    for (auto& m : b.op.statusTexts) printf("ST %s\n", m.c_str());
    for (auto& m : b.op.prompts) printf("PR %s\n", m.c_str());
    }
}
