// Paired timing of whole processes: every round runs each command once, in turn (the first
// command of a round moves on by one each round), so a busy stretch of the machine hits all of
// them alike. Prints the median wall and CPU time of each command and, for every requested
// pair, the median of the per-round ratios, beside its target where one is given
// ("A/B<=0.75 wall" or "A/B<=1.2 cpu").
//
//   natalix_pairs ROUNDS NAME=COMMAND ... [--prepare NAME=SHELL-COMMAND ...] [--ratio A/B ...]
//
// A command is split at blanks and started without a shell; a prepare step runs through
// /bin/sh before each timed run of its command and is not timed. POSIX only.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Ratio {
    std::string a, b;
    double target = 0; // 0: none
    bool cpu = false;  // the target is for the CPU ratio, else for the wall ratio
};

struct Command {
    std::string name;
    std::vector<std::string> argv;
    std::string prepare;
    std::vector<double> wall, cpu;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr,
                 "natalix_pairs: %s\nusage: natalix_pairs ROUNDS NAME=COMMAND ... "
                 "[--prepare NAME=SHELL-COMMAND] [--ratio A/B]\n",
                 why);
    std::exit(2);
}

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ms(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// Runs argv with its output thrown away; returns false when it did not end with status 0.
bool runOnce(const std::vector<std::string>& args, double* wallMs, double* cpuMs) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double start = nowMs();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    *wallMs = nowMs() - start;
    *cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        usage("too few arguments");
    const int rounds = std::atoi(argv[1]);
    if (rounds < 1)
        usage("ROUNDS must be at least 1");
    std::vector<Command> commands;
    std::map<std::string, size_t> byName;
    std::vector<Ratio> ratios;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        const bool prepare = arg == "--prepare";
        if ((prepare || arg == "--ratio") && ++i < argc) {
            const std::string value = argv[i];
            const size_t cut = value.find(prepare ? '=' : '/');
            if (cut == std::string::npos)
                usage("a --prepare needs NAME=..., a --ratio A/B");
            if (prepare) {
                const auto it = byName.find(value.substr(0, cut));
                if (it == byName.end())
                    usage("--prepare names an unknown command");
                commands[it->second].prepare = value.substr(cut + 1);
            } else {
                Ratio r{value.substr(0, cut), value.substr(cut + 1)};
                if (const size_t at = r.b.find("<="); at != std::string::npos) {
                    const std::string target = r.b.substr(at + 2);
                    r.target = std::atof(target.c_str());
                    r.cpu = target.find("cpu") != std::string::npos;
                    r.b.resize(at);
                }
                ratios.push_back(r);
            }
            continue;
        }
        const size_t cut = arg.find('=');
        if (cut == std::string::npos || cut == 0)
            usage("a command is given as NAME=COMMAND");
        byName[arg.substr(0, cut)] = commands.size();
        commands.push_back({arg.substr(0, cut), split(arg.substr(cut + 1)), {}, {}, {}});
    }
    for (const Ratio& r : ratios)
        if (!byName.count(r.a) || !byName.count(r.b))
            usage("--ratio names an unknown command");

    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < commands.size(); ++k) {
            Command& c = commands[(k + static_cast<size_t>(round)) % commands.size()];
            if (!c.prepare.empty() && std::system(c.prepare.c_str()) != 0) {
                std::fprintf(stderr, "natalix_pairs: the prepare step of %s failed\n",
                             c.name.c_str());
                return 1;
            }
            double wall = 0, cpu = 0;
            if (!runOnce(c.argv, &wall, &cpu)) {
                std::fprintf(stderr, "natalix_pairs: %s failed\n", c.name.c_str());
                return 1;
            }
            c.wall.push_back(wall);
            c.cpu.push_back(cpu);
        }
    }

    int width = 34;
    for (const Command& c : commands)
        width = std::max(width, static_cast<int>(c.name.size()));
    for (const Ratio& r : ratios)
        width = std::max(width, static_cast<int>(r.a.size() + r.b.size() + 3));
    std::printf("%d rounds, each command once per round in turn; medians\n", rounds);
    std::printf("%-*s %10s %10s\n", width, "", "wall ms", "CPU ms");
    for (const Command& c : commands)
        std::printf("%-*s %10.2f %10.2f\n", width, c.name.c_str(), median(c.wall), median(c.cpu));
    if (!ratios.empty())
        std::printf("\n%-*s %10s %10s   %s\n", width, "paired ratio (median of rounds)", "wall",
                    "CPU", "target");
    for (const Ratio& r : ratios) {
        const Command& ca = commands[byName[r.a]];
        const Command& cb = commands[byName[r.b]];
        std::vector<double> wall, cpu;
        for (int k = 0; k < rounds; ++k) {
            wall.push_back(ca.wall[k] / cb.wall[k]);
            cpu.push_back(ca.cpu[k] / cb.cpu[k]);
        }
        const std::string label = r.a + " / " + r.b;
        std::printf("%-*s %10.2f %10.2f", width, label.c_str(), median(wall), median(cpu));
        if (r.target > 0) {
            const double measured = r.cpu ? median(cpu) : median(wall);
            std::printf("   <= %.2f %s: %s", r.target, r.cpu ? "CPU" : "wall",
                        measured <= r.target ? "met" : "MISSED");
        }
        std::printf("\n");
    }
    return 0;
}
