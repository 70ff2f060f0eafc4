/** @file The movie player as the application core reaches it. */
#include "client/media/media_managers.h"

namespace {

class CoreMoviePlayer final : public MoviePlayerServices {
public:
    void PlayMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        ::PlayMovie(path, windowHook);
    }
    void PlayMpegMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        ::PlayMpegMovie(path, windowHook);
    }
};

} // namespace

MoviePlayerServices& moviePlayerServices()
{
    static CoreMoviePlayer player;
    return player;
}
