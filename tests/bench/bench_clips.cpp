// What the first play of a clip costs in decoding, paid on the GUI thread: the longest of the
// compiled-in clips, straight from its resource bytes to 16-bit samples.
#include "media/clip.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

QByteArray longestClipName()
{
    QByteArray longest;
    double seconds = 0;
    QList<QByteArray> names = {"correct", "entered", "gameover", "noanswer", "pass", "turn"};
    for (int i = 0; i <= 6; ++i)
        names << "cat" + QByteArray::number(i);
    for (int i = 1; i <= 20; ++i)
        names << "wave" + QByteArray::number(i);
    for (const QByteArray& name : names) {
        const std::optional<media::Clip> clip = media::loadClip(name);
        if (clip && clip->seconds() > seconds) {
            seconds = clip->seconds();
            longest = name;
        }
    }
    return longest;
}

void BM_DecodeLongestClip(benchmark::State& state)
{
    const QByteArray name = longestClipName();
    const QByteArray bytes = media::clipBytes(name);
    if (bytes.isEmpty()) {
        state.SkipWithError("the clips are not compiled in");
        return;
    }
    qsizetype frames = 0;
    for (auto _ : state) {
        const std::optional<media::Clip> clip = media::decodeClip(bytes);
        if (!clip) {
            state.SkipWithError("the longest clip does not decode");
            return;
        }
        frames = clip->frames;
        benchmark::DoNotOptimize(clip->pcm16.constData());
    }
    state.SetLabel(name.toStdString());
    state.counters["frames"] = double(frames);
}
BENCHMARK(BM_DecodeLongestClip)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
