// What the sketch board's own work costs beside what SDL does for it. Runs on whichever video
// driver SDL picks (SDL_VIDEODRIVER=dummy, or x11 under an X server), in the program's own
// 1280x1024x32 full-screen mode. The driver's name goes into the report's context.

#include <array>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "cursor.h"
#include "drawing_loop.h"
#include "pen.h"
#include "pictures.h"
#include "pixels.h"

namespace {

void fill_through_plot_pixel(benchmark::State& state, SDL_Surface* screen) {
    for (auto _ : state) {
        fill_screen_white(screen);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * screen->w * screen->h);
}

void fill_through_sdl(benchmark::State& state, SDL_Surface* screen) {
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * screen->w * screen->h);
}

void stamp_without_flip(benchmark::State& state, SDL_Surface* screen) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(stamp_cursor(screen, 640, 512));
        benchmark::ClobberMemory();
    }
}

void flip(benchmark::State& state, SDL_Surface* screen) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SDL_Flip(screen));
    }
}

void stamp_with_flip(benchmark::State& state, SDL_Surface* screen) {
    for (auto _ : state) {
        draw_cursor(screen, 640, 512);
    }
}

// Keys held, in the order the drawing loop reads them; the first n of them are held.
constexpr std::array<SDLKey, 5> held_keys{SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_UP, SDLK_SPACE};

void drawing_pass_with_keys(benchmark::State& state, SDL_Surface* screen) {
    std::array<Uint8, SDLK_LAST> keys{};
    const int held = static_cast<int>(state.range(0));
    for (int key = 0; key < held; ++key) {
        keys[held_keys[key]] = 1;
    }
    int cursor_x = cursor_start_x;
    int cursor_y = cursor_start_y;
    for (auto _ : state) {
        // As the loop does before each pass, so that the pen stays on the board however long
        // this runs.
        clamp_cursor(cursor_x, cursor_y);
        benchmark::DoNotOptimize(drawing_pass(screen, keys.data(), cursor_x, cursor_y));
    }
    state.SetItemsProcessed(state.iterations() * held);
}

void load_all_pictures(benchmark::State& state) {
    for (auto _ : state) {
        const Pictures pictures = load_pictures();
        state.PauseTiming();
        for (SDL_Surface* picture : pictures) {
            if (picture == nullptr) {
                state.SkipWithError("a picture did not load");
            }
            SDL_FreeSurface(picture);
        }
        // The program loads its pictures once, into memory it has never touched. Handing the
        // freed memory back to the system makes every load pay for fresh pages as that one
        // does, instead of reusing the pages of the load before.
        malloc_trim(0);
        state.ResumeTiming();
    }
}

// The four blits of the title screen, as the program makes them after its fill.
void compose_title(benchmark::State& state, SDL_Surface* screen) {
    const Pictures pictures = load_pictures();
    for (auto _ : state) {
        blit_picture(pictures, background_image, screen);
        blit_picture(pictures, board_image, screen);
        blit_picture(pictures, header_image, screen);
        blit_picture(pictures, waiting_banner, screen);
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* picture : pictures) {
        SDL_FreeSurface(picture);
    }
}

std::string video_driver_name() {
    std::array<char, 64> name{};
    if (SDL_VideoDriverName(name.data(), static_cast<int>(name.size())) == nullptr) {
        return "unknown";
    }
    return name.data();
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // load_pictures reads from the working directory, as the program does.
    if (chdir(SKETCHBOARD_DATA_DIR) != 0) {
        return 1;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return 1;
    }
    SDL_Surface* const screen = SDL_SetVideoMode(1280, 1024, 32, SDL_FULLSCREEN | SDL_HWSURFACE);
    if (screen == nullptr) {
        SDL_Quit();
        return 1;
    }
    benchmark::AddCustomContext("sdl_video_driver", video_driver_name());
    benchmark::AddCustomContext("sdl_version", std::to_string(SDL_Linked_Version()->major) + "." +
                                                   std::to_string(SDL_Linked_Version()->minor) +
                                                   "." +
                                                   std::to_string(SDL_Linked_Version()->patch));

    benchmark::RegisterBenchmark("fill/plot_pixel", fill_through_plot_pixel, screen)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("fill/SDL_FillRect", fill_through_sdl, screen)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("stamp/stamp_cursor", stamp_without_flip, screen)
        ->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("stamp/SDL_Flip", flip, screen)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("stamp/draw_cursor", stamp_with_flip, screen)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("drawing_pass/keys", drawing_pass_with_keys, screen)
        ->Arg(1)
        ->Arg(2)
        ->Arg(5)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("load_pictures", load_all_pictures)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("title/blits", compose_title, screen)
        ->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
