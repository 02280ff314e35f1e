// The XML tool's reader on a 20 MB document, next to pugixml on the same
// bytes. The document is written to $TMPDIR/xmlreader_bench.xml so that
// `xmllint --noout` can be timed on the same file.
#include "core/project/FileSystem.h"
#include "core/tools/XmlReader.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <pugixml.hpp>

namespace {

const std::string& Document() {
    static const std::string doc = [] {
        std::string s =
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- bench -->\n<table>\n";
        for (int i = 0; s.size() < 20u * 1024 * 1024; ++i) {
            s += "  <row Type=\"" + std::to_string(i % 7) + "\" Address=\"0x" +
                 std::to_string(1000 + i) + "\" Nb=\"" + std::to_string(i % 125) +
                 "\" Note='a &amp; b &#65;'>\n    <Name>Node " + std::to_string(i) +
                 " &lt;x&gt;</Name>\n    <Value><![CDATA[" + std::to_string(i * 31) +
                 "]]></Value>\n    <?check ok?>\n  </row>\n";
        }
        s += "</table>\n";
        const char* tmp = std::getenv("TMPDIR");
        WriteFileAtomic(std::string(tmp ? tmp : "/tmp") + "/xmlreader_bench.xml", s);
        return s;
    }();
    return doc;
}

void BM_ReadXml(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        XmlReaderNode n = ReadXml(doc);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_ReadXml)->Unit(benchmark::kMillisecond);

void BM_Pugixml(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        pugi::xml_document d;
        benchmark::DoNotOptimize(d.load_buffer(doc.data(), doc.size()));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_Pugixml)->Unit(benchmark::kMillisecond);

} // namespace
