// A file's bytes cut into deliveries as the readers make them: each ends with a byte held back
// that the next continuing delivery begins with; some start afresh elsewhere, some lack a held
// byte, some claim to continue after the file changed under them. After every delivery the lines
// made, and the text still waiting, must equal those of the plain splitter below run over each
// stretch of the stream.
#include "Check.h"
#include "reading/LineAssembly.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace
{

using Lines = std::vector<std::string>;

// A break is CR or LF; one LF and then one CR right after it belong to it. With `hideFirst` the
// text before the first break is no line. `rest` is the text after the last break.
Lines Split(const std::string& s, bool skipNul, bool hideFirst, std::string& rest)
{
    Lines lines;
    std::string line;
    bool hidden = hideFirst;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i++];
        if (c != '\r' && c != '\n') {
            if (c != '\0' || !skipNul)
                line += c;
            continue;
        }
        if (!hidden)
            lines.push_back(line);
        hidden = false;
        line.clear();
        i += i < s.size() && s[i] == '\n';
        i += i < s.size() && s[i] == '\r';
    }
    rest = hidden ? std::string() : line;
    return lines;
}

struct Stretch {
    std::string bytes;
    bool hideFirst;
};

struct Reference {
    bool skipNul;
    std::vector<Stretch> stretches;
    qint64 heldAt = -1; // offset of the byte held back by the previous delivery
    int held = -1;

    // A delivery continues the stream when it says so and begins at that byte, with that byte.
    void Add(const std::string& bytes, const reading::Delivery& at)
    {
        const int first = bytes.empty() ? at.heldBack : static_cast<unsigned char>(bytes[0]);
        const bool continues = at.continues && held >= 0 && at.start == heldAt && first == held;
        if (!continues)
            stretches.push_back({{}, at.start != 0});
        stretches.back().bytes += continues ? bytes.substr(bytes.empty() ? 0 : 1) : bytes;
        if (at.heldBack >= 0 && (!continues || !bytes.empty()))
            stretches.back().bytes += char(at.heldBack);
        heldAt = at.start + qint64(bytes.size());
        held = at.heldBack;
    }

    Lines Made(std::string& rest) const
    {
        Lines all;
        for (const Stretch& s : stretches) {
            const Lines lines = Split(s.bytes, skipNul, s.hideFirst, rest);
            all.insert(all.end(), lines.begin(), lines.end());
        }
        return all;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool skipNul = in.ConsumeBool();
    std::string file;
    for (const char c : in.ConsumeRandomLengthString(512))
        file += "\r\n\0ab\xE9"[static_cast<unsigned char>(c) % 6];
    if (file.empty())
        return 0;
    reading::LineMaker maker(skipNul ? reading::NulByte::Skipped : reading::NulByte::Character);
    Reference reference{skipNul, {}};
    reading::OutputBatch made;
    std::size_t next = 0; // the file's next byte after the held one; 0: no delivery yet
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const int kind = in.ConsumeIntegralInRange(0, 4);
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, 64);
        std::size_t start = next == 0 ? 0 : next - 1;
        bool continues = next > 0;
        if (kind == 2 || kind == 4) { // a fresh read elsewhere, as after a rotation
            start = in.ConsumeIntegralInRange<std::size_t>(0, file.size() - 1);
            continues = false;
        } else if (kind == 3 && next > 0) { // the held byte's place changed under the reader
            file[next - 1] = file[next - 1] == 'a' ? 'b' : 'a';
        }
        const std::size_t end = std::min(file.size(), (continues ? next : start) + length);
        if (end <= start || (continues && end <= next))
            continue;                 // nothing new: the reader delivers nothing
        const bool holds = kind != 4; // a window whose content end was not found holds none
        const std::string bytes = file.substr(start, end - start - (holds ? 1 : 0));
        const reading::Delivery at{
            qint64(start), holds ? static_cast<unsigned char>(file[end - 1]) : -1, continues};
        maker.Feed(QByteArrayView(bytes.data(), qsizetype(bytes.size())), at, made);
        reference.Add(bytes, at);
        next = end;

        std::string rest;
        const Lines expected = reference.Made(rest);
        Check(std::size_t(made.size()) == expected.size(), "another number of lines");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const QByteArrayView line = made.Line(qsizetype(i));
            Check(std::string(line.data(), std::size_t(line.size())) == expected[i],
                  "another line");
        }
        Check(maker.Unfinished().toStdString() == rest, "another unfinished rest");
    }
    return 0;
}
