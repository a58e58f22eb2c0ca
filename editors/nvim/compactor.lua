-- Neovim set-up for the compactor language server (`compactor lsp`).
--
--   local compactor = dofile("/path/to/editors/nvim/compactor.lua")
--   compactor.setup({ cmd = { "compactor", "lsp" } })
--
-- Sources are recognised by name (*_linea.txt, *-.txt) or by a first line
-- "[generale]", and get the filetype "compactor". Each buffer of that type
-- is attached to one server per folder. Diagnostics come through Neovim's own
-- client; inlay hints (the kilometre of every position) through
-- vim.lsp.inlay_hint where Neovim has it (0.10 on), else drawn here as
-- virtual text after each change. Works with Neovim 0.7 and later.
local M = {}

local ns = vim.api.nvim_create_namespace("compactor_inlay_hints")

M.options = {
  cmd = { "compactor", "lsp" },
  -- Sent as initializationOptions: line (a path), scenario, train, keepPath.
  init_options = {},
  inlay_hints = true,
}

local function looks_like_source(buf)
  local first = vim.api.nvim_buf_get_lines(buf, 0, 1, false)[1] or ""
  return first:lower():find("[generale]", 1, true) ~= nil
end

-- Draws the server's inlay hints as virtual text (Neovim before 0.10):
-- after the value where Neovim can show text inline, else at the line's end.
function M.draw_inlay_hints(buf)
  local params = {
    textDocument = vim.lsp.util.make_text_document_params(buf),
    range = { start = { line = 0, character = 0 }, ["end"] = { line = vim.api.nvim_buf_line_count(buf), character = 0 } },
  }
  local inline = vim.fn.has("nvim-0.10") == 1
  vim.lsp.buf_request(buf, "textDocument/inlayHint", params, function(err, result)
    if err or not result or not vim.api.nvim_buf_is_valid(buf) then return end
    vim.api.nvim_buf_clear_namespace(buf, ns, 0, -1)
    local by_line = {}
    for _, hint in ipairs(result) do
      local label = type(hint.label) == "string" and hint.label or ""
      if inline then
        pcall(vim.api.nvim_buf_set_extmark, buf, ns, hint.position.line, hint.position.character,
              { virt_text = { { " " .. label, "Comment" } }, virt_text_pos = "inline" })
      else
        local l = hint.position.line
        by_line[l] = (by_line[l] and by_line[l] .. "  " or "") .. label
      end
    end
    for l, text in pairs(by_line) do
      pcall(vim.api.nvim_buf_set_extmark, buf, ns, l, 0, { virt_text = { { text, "Comment" } }, virt_text_pos = "eol" })
    end
  end)
end
M.namespace = ns

local function on_attach(client, buf)
  vim.api.nvim_buf_set_option(buf, "omnifunc", "v:lua.vim.lsp.omnifunc")
  vim.keymap.set("n", "K", vim.lsp.buf.hover, { buffer = buf })
  vim.api.nvim_buf_create_user_command(buf, "CompactorFormat", function()
    if vim.lsp.buf.format then vim.lsp.buf.format({ bufnr = buf }) else vim.lsp.buf.formatting_sync() end
  end, {})
  if not M.options.inlay_hints then return end
  if vim.lsp.inlay_hint and vim.lsp.inlay_hint.enable then
    pcall(vim.lsp.inlay_hint.enable, true, { bufnr = buf })
    return
  end
  M.draw_inlay_hints(buf)
  -- The server publishes diagnostics after every compile: the hints follow.
  vim.api.nvim_create_autocmd("DiagnosticChanged", {
    buffer = buf,
    callback = function() M.draw_inlay_hints(buf) end,
  })
end

-- Starts (or reuses) the server for the buffer's folder and attaches it.
function M.attach(buf)
  buf = buf or vim.api.nvim_get_current_buf()
  local name = vim.api.nvim_buf_get_name(buf)
  local root = vim.fn.fnamemodify(name, ":p:h")
  local config = {
    name = "compactor",
    cmd = M.options.cmd,
    root_dir = root,
    init_options = M.options.init_options,
    on_attach = on_attach,
  }
  if vim.lsp.start then
    return vim.lsp.start(config, { bufnr = buf })
  end
  M.clients = M.clients or {}
  local id = M.clients[root]
  if not id or not vim.lsp.get_client_by_id(id) then
    id = vim.lsp.start_client(config)
    M.clients[root] = id
  end
  if id then vim.lsp.buf_attach_client(buf, id) end
  return id
end

function M.setup(opts)
  M.options = vim.tbl_extend("force", M.options, opts or {})
  local group = vim.api.nvim_create_augroup("compactor", { clear = true })
  vim.api.nvim_create_autocmd({ "BufRead", "BufNewFile" }, {
    group = group,
    pattern = { "*_linea.txt", "*-.txt", "*.txt" },
    callback = function(args)
      local name = vim.api.nvim_buf_get_name(args.buf)
      if name:match("_linea%.txt$") or name:match("%-%.txt$") or looks_like_source(args.buf) then
        vim.bo[args.buf].filetype = "compactor"
      end
    end,
  })
  vim.api.nvim_create_autocmd("FileType", {
    group = group,
    pattern = "compactor",
    callback = function(args) M.attach(args.buf) end,
  })
end

return M
