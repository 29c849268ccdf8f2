#include "modulerecorder.h"

#include "fakemodule.h"
#include "waitfor.h"

namespace atlume::support {

ModuleRecorder::ModuleRecorder(FakeModule &module) : module(module)
{
    clock.start();
    connect(&module, &FakeModule::bytesReceived, this,
            [this](const QByteArray &bytes) { raw.append(bytes); });
    connect(&module, &FakeModule::lineReceived, this, [this](const QByteArray &line) {
        received.append({line, clock.elapsed()});
    });
}

QList<QByteArray> ModuleRecorder::lineBytes() const
{
    QList<QByteArray> lines;
    lines.reserve(received.size());
    for (const Line &line : received)
        lines.append(line.bytes);
    return lines;
}

void ModuleRecorder::clear()
{
    received.clear();
    raw.clear();
}

bool ModuleRecorder::waitForLines(int count, int timeoutMs)
{
    return waitFor([this, count] { return received.size() >= count; }, timeoutMs, &module,
                   &FakeModule::lineReceived);
}

bool waitForDrained(FakeModule &module, int timeoutMs)
{
    return waitFor([&module] { return module.isDrained(); }, timeoutMs, &module,
                   &FakeModule::drained);
}

} // namespace atlume::support
