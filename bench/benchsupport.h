#pragma once

#include <QList>

// What every benchmark shares: its start-up and the figures it reduces its samples to.
namespace BenchSupport {

// Offscreen unless a display or a platform is chosen, and Qt Multimedia's FFmpeg back end
// unless another is chosen. Both are read when the application object is made.
void ChooseEnvironment();

// The middle value; with an even count, the mean of the two middle ones. 0 when empty.
double Median(QList<double> values);
// The value below which `share` (0..1) of the samples lie; 0 when empty.
double Percentile(QList<double> values, double share);
// Seconds of processor time this process has used, user and system together.
double OwnCpuSeconds();

} // namespace BenchSupport

// A benchmark's application object (QCoreApplication or QApplication), made only once
// ChooseEnvironment has run.
template<typename Application>
class BenchApplication : public Application
{
public:
    BenchApplication(int &argc, char **argv)
        : Application(Prepared(argc), argv)
    {}

private:
    static int &Prepared(int &argc)
    {
        BenchSupport::ChooseEnvironment();
        return argc;
    }
};
