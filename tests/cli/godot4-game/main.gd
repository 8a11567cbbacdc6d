extends Node2D


# How the window opened, for the test to read in the launcher's output.
func _ready():
	var modes := ["windowed", "minimized", "maximized", "fullscreen", "exclusive fullscreen"]
	var window := get_window()
	print("Brennick: %dx%d %s" % [window.size.x, window.size.y, modes[window.mode]])
