/** @file The movie player: for now the least the application core asks of it. */
#include "client/media/media_managers.h"

namespace {

class CoreMoviePlayer final : public MoviePlayerServices {
public:
    void PlayMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        ::PlayMovie(path, windowHook);
    }
};

} // namespace

void PlayMovie(const std::string&, const std::function<int()>&) {}

MoviePlayerServices& moviePlayerServices()
{
    static CoreMoviePlayer player;
    return player;
}
