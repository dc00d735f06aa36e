// Replaced by the stand-ins' portable code.
namespace kora_suite {
int placeholder() { return 0; }
}
