-- Drives Ardour's headless Lua session tool for the Ardour host test.
-- Usage: ardour7-lua session.lua MODE SESSION_DIR FACTS_FILE UNIQUE_ID SECONDS [CUTOFF]
--   create  new session with one stereo track "Signal" carrying a bounced
--           carrier region (its audio files are overwritten with the test
--           signal afterwards) and the plug-in inserted; reports what Ardour
--           sees of the plug-in.
--   render  loads the session, renders the test signal through program 0
--           and program 8, sets cutoff to CUTOFF and the LFO depth to zero,
--           renders again, saves.
--   reopen  loads the saved session, reports the restored parameters,
--           renders again and saves a snapshot named "reopened".
-- Facts go to FACTS_FILE as "key<TAB>value" lines; the Python checker judges
-- them. A Lua error ends the tool with a non-zero exit status.
-- Written against Ardour 7.3: Track:bounce_range takes six arguments there,
-- and it crashes when given no end-point processor, so every bounce names one.

local mode, dir, facts_path, uid, seconds = arg[1], arg[2], arg[3], arg[4], tonumber(arg[5] or "3")
local session_name = "kivtest"
local rate = 48000

local facts = assert(io.open(facts_path, "w"))
local function fact(key, value)
  facts:write(key, "\t", tostring(value), "\n")
  facts:flush()
end
local function say(text)
  io.stderr:write("[ardour-lua ", mode, "] ", text, "\n")
end
local function fail(text)
  fact("error", text)
  facts:close()
  error(text)
end

if not AudioEngine:set_backend("None (Dummy)", "", "") then
  fail("the dummy audio backend is not available")
end

local session
if mode == "create" then
  session = create_session(dir, session_name, rate)
else
  session = load_session(dir, session_name)
end
if not session then fail("could not " .. mode .. " the session in " .. dir) end
fact("sample_rate", session:nominal_sample_rate())
fact("seconds", seconds)

local function find_insert(track)
  local proc = track:nth_plugin(0)
  if proc:isnil() then fail("the track holds no plug-in") end
  local insert = proc:to_plugininsert()
  if insert:isnil() then fail("the track's first plug-in is not a plug-in insert") end
  return proc, insert
end

local function report_values(prefix, insert)
  local plugin = insert:plugin(0)
  for i = 0, plugin:parameter_count() - 1 do
    local value, refs = ARDOUR.LuaAPI.get_plugin_insert_param(insert, i, false)
    if not refs[3] then fail("Ardour could not read parameter " .. i) end
    fact(prefix .. "." .. i, string.format("%.9g", value))
  end
end

-- Renders the whole test signal through the track up to and including the
-- plug-in and reports the files Ardour wrote.
local function render(track, proc, name)
  local itt = ARDOUR.InterThreadInfo()
  local region = track:bounce_range(0, seconds * rate, itt, proc, true, name)
  if region:isnil() then fail("bounce '" .. name .. "' gave no region") end
  local audio = region:to_audioregion()
  fact("render." .. name .. ".channels", audio:n_channels())
  fact("render." .. name .. ".length", region:length():samples())
  for c = 0, audio:n_channels() - 1 do
    fact("render." .. name .. ".file." .. c, region:source(c):to_filesource():path())
  end
  say("rendered " .. name)
end

local function select_program(insert, number)
  local plugin = insert:plugin(0)
  local uri = string.format("VST:%s:%04d", uid, number)
  local preset = plugin:preset_by_uri(uri)
  if not preset or preset.uri ~= uri then fail("Ardour knows no program " .. uri) end
  if not plugin:load_preset(preset) then fail("Ardour could not load program " .. uri) end
  fact("program." .. number .. ".label", plugin:last_preset().label)
end

local function set_value(insert, index, value)
  if not ARDOUR.LuaAPI.set_plugin_insert_param(insert, index, value) then
    fail("Ardour could not set parameter " .. index)
  end
end

if mode == "create" then
  local track = session:new_audio_track(2, 2, nil, 1, "Signal", ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true):front()
  if not track or track:isnil() then fail("could not create the stereo track") end
  -- A bounce without the plug-in creates two mono sources and a whole-file
  -- region of the right length; the checker then writes the test signal
  -- into exactly these files, and the region goes onto the track.
  local itt = ARDOUR.InterThreadInfo()
  local carrier = track:bounce_range(0, seconds * rate, itt, track:amp(), false, "carrier")
  if carrier:isnil() then fail("could not bounce the carrier region") end
  local audio = carrier:to_audioregion()
  for c = 0, audio:n_channels() - 1 do
    fact("carrier.file." .. c, carrier:source(c):to_filesource():path())
  end
  fact("carrier.length", carrier:length():samples())
  track:playlist():add_region(carrier, Temporal.timepos_t(0), 1, false)

  local proc = ARDOUR.LuaAPI.new_plugin(session, uid, ARDOUR.PluginType.LXVST, "")
  if proc:isnil() then fail("Ardour could not instantiate the LXVST plug-in " .. uid) end
  if not track:add_processor_by_index(proc, 0, nil, true) then
    fail("Ardour refused to insert the plug-in on a stereo track")
  end
  local insert = proc:to_plugininsert()
  local plugin = insert:plugin(0)
  local info = plugin:get_info()
  fact("name", plugin:name())
  fact("maker", plugin:maker())
  fact("unique_id", plugin:unique_id())
  fact("info.name", info.name)
  fact("info.creator", info.creator)
  fact("info.inputs", info.n_inputs:n_audio())
  fact("info.outputs", info.n_outputs:n_audio())
  fact("param_count", plugin:parameter_count())
  for i = 0, plugin:parameter_count() - 1 do
    fact("param." .. i .. ".name", plugin:parameter_label(i))
  end
  local count = 0
  for preset in info:get_presets(false):iter() do
    fact("preset." .. count .. ".uri", preset.uri)
    fact("preset." .. count .. ".label", preset.label)
    count = count + 1
  end
  fact("preset_count", count)
  report_values("initial", insert)
  session:save_state("", false, false, false, false, false)

elseif mode == "render" then
  local track = session:route_by_name("Signal"):to_track()
  if track:isnil() then fail("the saved session has no track 'Signal'") end
  local proc, insert = find_insert(track)

  select_program(insert, 0)
  report_values("program0", insert)
  render(track, proc, "clean")

  select_program(insert, 8)
  report_values("program8", insert)
  render(track, proc, "highpass")

  -- The edit that must survive saving: a lower cutoff and the LFO off.
  local cutoff = tonumber(arg[6])
  if not cutoff then fail("render needs the edited cutoff value as its sixth argument") end
  fact("edit.cutoff", cutoff)
  set_value(insert, 1, cutoff)
  set_value(insert, 4, 0.5)
  report_values("edited", insert)
  render(track, proc, "edited")
  session:save_state("", false, false, false, false, false)

elseif mode == "reopen" then
  local track = session:route_by_name("Signal"):to_track()
  if track:isnil() then fail("the reopened session has no track 'Signal'") end
  local proc, insert = find_insert(track)
  report_values("reopened", insert)
  render(track, proc, "reopened")
  session:save_state("reopened", false, false, false, false, false)

else
  fail("unknown mode " .. tostring(mode))
end

fact("done", mode)
facts:close()
close_session()
