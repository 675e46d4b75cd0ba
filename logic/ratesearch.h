#ifndef RATESEARCH_H
#define RATESEARCH_H

#include <QObject>

#include <memory>

class ClockTimer;

// How far a search goes, and where it starts.
struct SearchPlan
{
    // A module with a long guard time answers only in the slow pass; a
    // probe of many ports at once makes do with the fast one.
    bool slowPass = true;
    // The rate the port runs at is tried first (a rate remembered for the
    // port); else the factory rate, then from the fastest down.
    bool portRateFirst = false;
};
class ModuleLine;
class SessionClock;

// The search for the UART rate of a module that does not answer: for each
// rate the port is switched, "+++" goes out once the line has been quiet for
// a guard time, and a line that is exactly "OK" within the reply time means
// the module is there. A fast pass waits for the factory guard time, a slow
// pass for the longest one a module may have.
class RateSearch : public QObject
{
    Q_OBJECT

public:
    // A search's wait for "OK" at one rate: the factory guard time and some.
    static constexpr int replyMs = 1500;

    RateSearch(ModuleLine &line, SessionClock &clock, QObject *parent = nullptr);
    ~RateSearch() override;

    static int attempts(); // rates per pass

    void start(const SearchPlan &plan = SearchPlan());
    // Back to the rate the search started from; a module that may just have
    // entered command mode at the rate tried is told to leave it first.
    void cancel();
    bool isActive() const { return phase != Phase::Idle; }
    // A line from the module; true when the search took it.
    bool takeLine(const QString &line);

signals:
    // Whoever shows progress may process events here: the search is already in order for them.
    void trying(int attempt, int rate, bool slowPass);
    void found(int rate);
    void exhausted();

private:
    enum class Phase { Idle, AwaitingSilence, AwaitingReply };

    void next();
    void onTimer();
    int silenceMs() const;

    ModuleLine &line;
    std::unique_ptr<ClockTimer> timer;
    Phase phase = Phase::Idle;
    int attempt = -1;
    bool slowPass = false;
    SearchPlan plan;
    QList<int> order;
    int startRate = 9600;
};

#endif // RATESEARCH_H
