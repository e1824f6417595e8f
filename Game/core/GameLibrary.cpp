// The game library's own start-up state. Class registration happens in the static
// initializers of each class's source file.
namespace GAME {
}
