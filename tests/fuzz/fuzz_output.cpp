// The output list's lines, kept in sealed and open blocks, against a plain list of the same
// lines: appends of short and of long lines (that fill blocks, some compressible, some not),
// drops of the oldest lines, the last rows replaced in place as a Tail's row is completed,
// clears. After every step each line, its tag and a walk over all lines must agree.
#include "Check.h"
#include "reading/OutputList.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>
#include <vector>

namespace
{

struct Line {
    std::string bytes;
    quint16 tag;
};

// Up to 200 000 bytes: a short text repeated (compresses) or bytes of the input spread out.
std::string MakeLine(FuzzedDataProvider& in)
{
    const std::string seed = in.ConsumeRandomLengthString(16);
    const std::size_t length = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::size_t>(0, 40)
                                                : in.ConsumeIntegralInRange<std::size_t>(0, 200000);
    std::string line(length, 'x');
    const bool noisy = in.ConsumeBool();
    std::uint32_t state = 2463534242u + std::uint32_t(length);
    for (std::size_t i = 0; i < length; ++i) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        line[i] = noisy ? char(state) : seed.empty() ? 'x' : seed[i % seed.size()];
    }
    return line;
}

void Compare(reading::OutputList& list, const std::vector<Line>& plain)
{
    Check(list.Count() == qsizetype(plain.size()), "another number of lines");
    reading::OutputModel::LineReader walk(*list.Model());
    const auto text = [](QByteArrayView v) { return std::string_view(v.data(), size_t(v.size())); };
    for (qsizetype i = 0; i < list.Count(); ++i) {
        const reading::LineBytes bytes = list.Bytes(i);
        const Line& want = plain[size_t(i)];
        Check(text(bytes.View()) == want.bytes && text(walk.At(i)) == want.bytes &&
                  list.Model()->Tag(i) == want.tag,
              "another line or tag");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    reading::OutputList list;
    list.Model()->SetSealing(true, false); // on this thread: a run repeats exactly
    std::vector<Line> plain;
    for (int step = 0; step < 32 && in.remaining_bytes() > 0; ++step) {
        const int kind = in.ConsumeIntegralInRange(0, 5);
        if (kind <= 2) { // an append
            const quint16 tag = in.ConsumeIntegralInRange<quint16>(0, 3);
            reading::OutputBatch batch;
            for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
                plain.push_back({MakeLine(in), tag});
                batch.Add(QByteArrayView(plain.back().bytes));
            }
            list.Append(batch, tag);
        } else if (kind == 3) { // a drop of the oldest lines
            const qsizetype limit =
                in.ConsumeIntegralInRange<qsizetype>(0, qsizetype(plain.size()));
            const qsizetype gone = list.Bound(limit, in.ConsumeIntegralInRange<qsizetype>(0, 4));
            plain.erase(plain.begin(), plain.begin() + gone);
        } else if (kind == 4 && !plain.empty()) { // a row at the end completed in place
            const qsizetype back = in.ConsumeIntegralInRange<qsizetype>(1, 3);
            const qsizetype row = qMax<qsizetype>(0, qsizetype(plain.size()) - back);
            plain[std::size_t(row)].bytes = MakeLine(in);
            list.Model()->ReplaceLine(row, QByteArrayView(plain[std::size_t(row)].bytes));
        } else if (kind == 5) {
            list.Clear();
            plain.clear();
        }
        Compare(list, plain);
    }
    return 0;
}
