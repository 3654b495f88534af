#include "app/backend_choice.h"
#include "app/hashwick_app.h"
#include "ui/resources.h"

namespace {

CHashwickApp theApp;

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<UiBackend> backend = ChooseBackend();
    return AfxWinMain(&HashwickResources(), argc, argv, *backend);
}
