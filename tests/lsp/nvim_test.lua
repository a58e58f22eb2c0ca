-- Run by tests/lsp/nvim_test.sh: Neovim's own LSP client on a service
-- description with a fault put in. Reads the diagnostics and a hover that
-- Neovim received and the inlay hints drawn; quits with status 0 when all
-- are as expected, 1 otherwise (the reason on standard error).
local exe, editors, service = _G.compactor_exe, _G.compactor_editors, _G.compactor_service

local function fail(why)
  io.stderr:write("nvim test: " .. why .. "\n")
  vim.cmd("cquit 1")
end

local compactor = dofile(editors .. "/nvim/compactor.lua")
compactor.setup({ cmd = { exe, "lsp" } })
vim.cmd("edit " .. vim.fn.fnameescape(service))
local buf = vim.api.nvim_get_current_buf()
if vim.bo[buf].filetype ~= "compactor" then fail("the service description did not get the filetype") end

-- The diagnostics Neovim received.
if not vim.wait(15000, function() return #vim.diagnostic.get(buf) > 0 end, 50) then
  fail("no diagnostics arrived")
end
local d = vim.diagnostic.get(buf)[1]
local fault_line = tonumber(_G.compactor_fault_line)
io.stdout:write(string.format("diagnostic: line %d col %d-%d code %s source %s: %s\n", d.lnum, d.col, d.end_col,
  tostring(d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)), tostring(d.source), d.message))
local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
if d.lnum ~= fault_line or d.col ~= 11 or d.end_col ~= 16 or code ~= "E16" or d.source ~= "compactor"
   or d.severity ~= vim.diagnostic.severity.ERROR then
  fail("unexpected diagnostic")
end

-- A hover on the signal the fault collides with (the row before), as Neovim asks for it.
local params = { textDocument = vim.lsp.util.make_text_document_params(buf), position = { line = fault_line - 1, character = 14 } }
local replies = vim.lsp.buf_request_sync(buf, "textDocument/hover", params, 10000)
local hover
for _, r in pairs(replies or {}) do
  if r.result then hover = r.result.contents.value end
end
if not hover then fail("no hover arrived") end
io.stdout:write("hover: " .. hover:gsub("\n", " | ") .. "\n")
if not hover:find("signal (kind 1)", 1, true) or not hover:find("cell 346", 1, true) then fail("unexpected hover") end

-- The inlay hints drawn: the kilometre of the faulty row's position.
if not vim.wait(10000, function()
  return #vim.api.nvim_buf_get_extmarks(buf, compactor.namespace, { fault_line, 0 }, { fault_line, -1 }, { details = true }) > 0
    or (vim.lsp.inlay_hint ~= nil)
end, 50) then
  fail("no inlay hints drawn")
end
local marks = vim.api.nvim_buf_get_extmarks(buf, compactor.namespace, { fault_line, 0 }, { fault_line, -1 }, { details = true })
if #marks > 0 then
  local text = marks[1][4].virt_text[1][1]
  io.stdout:write("inlay hint: " .. text .. "\n")
  if not text:find("km 128+250", 1, true) then fail("unexpected inlay hint") end
end
vim.cmd("qall!")
